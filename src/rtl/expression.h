#pragma once

#include "rtl/token_reader.h"

namespace noc::rtl {

/// Reads one constant expression as a port list holds it (a default value, a bound of a
/// dimension) and moves past it: literals, names with package scopes, member access and
/// indexing, function and system calls, concatenations, assignment patterns, casts, and unary,
/// binary and conditional operators. What cannot stand there is an error at the token.
void skip_expression(TokenReader& reader);

/// Reads a "[...]" dimension: empty, "$", "*", a data type (associative arrays), an expression,
/// or a range "a:b", "a+:b", "a-:b". Returns the dimension's text as written without spaces.
std::string read_dimension(TokenReader& reader);

/// True for the keywords that name a built-in data type.
bool is_builtin_type(std::string_view word);

}  // namespace noc::rtl
