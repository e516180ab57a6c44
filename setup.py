"""pip install . : the Python module noc_soc, built from the C++ sources with Debian's setuptools
and pybind11, offline (pip install --no-build-isolation --no-index .)."""
import pathlib
import re

from pybind11.setup_helpers import ParallelCompile, Pybind11Extension, build_ext
from setuptools import setup

ParallelCompile("NOC_SOC_BUILD_JOBS", default=2).install()  # the machines have two cores

ROOT = pathlib.Path(__file__).resolve().parent


def version():
    text = (ROOT / "CMakeLists.txt").read_text()
    return re.search(r"project\(noc_soc VERSION (\d+\.\d+\.\d+)", text).group(1)


def library_sources():
    """The library's sources as CMakeLists.txt lists them, and the generated schema source."""
    text = (ROOT / "CMakeLists.txt").read_text()
    block = re.search(r"add_library\(noc_soc_lib STATIC(.*?)\)", text, re.S).group(1)
    sources = [line.strip() for line in block.splitlines() if line.strip().startswith("src/")]
    generated = ROOT / "build" / "pip" / "description_schema.cc"
    generated.parent.mkdir(parents=True, exist_ok=True)
    template = (ROOT / "src/app/description_schema.cc.in").read_text()
    schema = (ROOT / "schema/noc_soc.schema.json").read_text()
    text = template.replace("@NOC_SCHEMA_TEXT@", schema)
    if not generated.exists() or generated.read_text() != text:
        generated.write_text(text)
    return sources + [str(generated.relative_to(ROOT))]


def module_sources():
    """The module's own sources as CMakeLists.txt's pybind11_add_module lists them."""
    text = (ROOT / "CMakeLists.txt").read_text()
    block = re.search(r"pybind11_add_module\(noc_soc_python(.*?)\)", text, re.S).group(1)
    return re.findall(r"src/\S+\.cc", block)


setup(
    name="noc_soc",
    version=version(),
    description="Writes the top-level SystemVerilog of a network-on-chip SoC",
    license="Apache-2.0",
    ext_modules=[
        Pybind11Extension(
            "noc_soc",
            library_sources() + module_sources(),
            include_dirs=["src"],
            cxx_std=20,
            define_macros=[("NOC_SOC_VERSION", '"' + version() + '"')],
        )
    ],
    cmdclass={"build_ext": build_ext},
    python_requires=">=3.11",
)
