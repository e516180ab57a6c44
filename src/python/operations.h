#pragma once

#include <pybind11/pybind11.h>

namespace noc::python {

/// Adds generate, verify and dot, and the results they return, to the module.
void define_operations(pybind11::module_& m);

}  // namespace noc::python
