#pragma once

#include <pybind11/pybind11.h>

namespace noc::python {

/// Adds traffic to the module.
void define_traffic(pybind11::module_& m);

}  // namespace noc::python
