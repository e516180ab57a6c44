#include "nocgen/source_flags.h"

namespace noc::nocgen {

void SourceFlags::add_to(CLI::App* command) {
  command->add_option("-D,--define", defines, "Define a macro for the sources: NAME or NAME=VALUE")
      ->type_name("NAME[=VALUE]")
      ->allow_extra_args(false);
  command->add_option("-U,--undefine", undefines, "Undefine a macro given with -D")
      ->type_name("NAME")
      ->allow_extra_args(false);
  command
      ->add_option("-I,--include-dir", include_dirs,
                   "Search this directory for `include files before the tree below BASE_DIR")
      ->type_name("DIR")
      ->allow_extra_args(false);
  struct ListFlag {
    const char* name;
    rtl::ListPaths paths;
    const char* help;
  };
  for (const ListFlag& flag :
       {ListFlag{"-f", rtl::ListPaths::kFromWorkingDirectory,
                 "Read a file list as Verilator does (+incdir+, +define+, -I, -D, -U, sources "
                 "read before each router and tile source); its paths are relative to the "
                 "working directory"},
        ListFlag{"-F", rtl::ListPaths::kFromListFolder,
                 "The same, with paths relative to the list's own folder"}}) {
    command
        ->add_option_function<std::vector<std::string>>(
            flag.name,
            [this, paths = flag.paths](const std::vector<std::string>& lists) {
              for (const std::string& list : lists) file_lists.emplace_back(list, paths);
            },
            flag.help)
        ->type_name("FILE")
        ->allow_extra_args(false);
  }
}

rtl::RtlOptions SourceFlags::options() const {
  rtl::RtlOptions out;
  for (const std::string& define : defines) {
    rtl::add_define(out, define);
    rtl::check_macro_name(out.defines.back().first, define);
  }
  for (const std::string& name : undefines) rtl::check_macro_name(name, name);
  out.undefines = undefines;
  out.include_dirs = include_dirs;
  for (const auto& [list, paths] : file_lists)
    rtl::append_options(out, rtl::read_file_list(list, paths));
  return out;
}

}  // namespace noc::nocgen
