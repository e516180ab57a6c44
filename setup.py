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


# The library is every source of these rooms; the entry points and the command line live apart.
LIBRARY_ROOMS = ["common", "rtl", "model", "route", "emit", "verify", "app"]
NOT_IN_LIBRARY = {"src/app/noc_soc_main.cc", "src/common/heap_pages.cc"}


def library_sources():
    """The library's sources, and the schema source generated from the template."""
    sources = sorted(str(path.relative_to(ROOT)) for room in LIBRARY_ROOMS
                     for path in (ROOT / "src" / room).glob("*.cc"))
    sources = [source for source in sources if source not in NOT_IN_LIBRARY]
    generated = ROOT / "build" / "pip" / "description_schema.cc"
    generated.parent.mkdir(parents=True, exist_ok=True)
    template = (ROOT / "src/app/description_schema.cc.in").read_text()
    schema = (ROOT / "schema/noc_soc.schema.json").read_text()
    text = template.replace("@NOC_SCHEMA_TEXT@", schema)
    if not generated.exists() or generated.read_text() != text:
        generated.write_text(text)
    return sources + [str(generated.relative_to(ROOT))]


def module_sources():
    """The binding's own sources."""
    return sorted(str(path.relative_to(ROOT)) for path in (ROOT / "src/python").glob("*.cc"))


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
