#include "verify/work_dir.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "common/error.h"
#include "common/source_tree.h"
#include "common/text.h"

namespace noc::verify {

namespace fs = std::filesystem;

WorkDir::WorkDir(const std::string& keep, std::string prefix)
    : keep_(!keep.empty()), prefix_(std::move(prefix)) {
  if (keep_) {
    std::error_code ec;
    fs::create_directories(keep, ec);
    if (ec) throw file_error("cannot create the directory", keep, ec.value());
    path_ = absolute_path(keep);
    return;
  }
  const char* tmp = std::getenv("TMPDIR");
  std::string folder = tmp && *tmp ? tmp : "/tmp";
  remove_abandoned(folder);
  std::string pattern = folder + "/" + prefix_ + std::to_string(::getpid()) + "-XXXXXX";
  if (!::mkdtemp(pattern.data())) throw file_error("cannot create", pattern, errno);
  path_ = pattern;
}

WorkDir::~WorkDir() {
  std::error_code ec;
  if (!keep_) fs::remove_all(path_, ec);
}

std::string WorkDir::kept_for(const std::string& message) {
  // A full disk or a file-size limit stops a build with whatever the tool says last (a linker
  // may only say "Bus error"): kept, the files would only be what filled it.
  const char* full = nullptr;
  for (const char* words : {"No space left on device", "File too large", "Disk quota exceeded"})
    if (message.find(words) != std::string::npos) full = words;
  struct statvfs disk {};
  if (!full && ::statvfs(path_.c_str(), &disk) == 0 && disk.f_bavail * disk.f_frsize < (1u << 20))
    full = "the disk is full";
  if (full && !keep_)
    return message + "\n(" + full + ": the work directory " + path_ +
           " is removed, not kept; free some space or raise the limit, or give --keep DIR)";
  if (keep_ || message.find(path_ + "/") == std::string::npos) return message;
  keep_ = true;
  return message + "\n(the files it names are kept in " + path_ + ")";
}

// PREFIX-PID-... of a run that is gone (killed before it could remove its own) and that belonged
// to this user: nobody else can be pointed to it any more.
void WorkDir::remove_abandoned(const std::string& folder) const {
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
    std::string name = entry.path().filename().string();
    if (name.rfind(prefix_, 0) != 0) continue;
    char* end = nullptr;
    long pid = std::strtol(name.c_str() + prefix_.size(), &end, 10);
    if (pid <= 0 || *end != '-' || pid == ::getpid()) continue;
    if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
    struct stat info {};
    if (::lstat(entry.path().c_str(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::getuid())
      continue;
    fs::remove_all(entry.path(), ec);
  }
}

void WorkDir::write(const std::string& name, const std::string& text) const {
  std::string target = file(name);
  std::error_code ec;
  fs::create_directories(fs::path(target).parent_path(), ec);
  std::ofstream out(target, std::ios::binary | std::ios::trunc);
  out << text;
  if (!out.flush()) throw file_error("cannot write", target, errno);
}

std::string log_excerpt(const std::string& log_path) {
  std::ifstream in(log_path);
  std::string line, out;
  int kept = 0;
  while (std::getline(in, line) && kept < 12) {
    // The simulation prints its errors after the time ("[0] %Error: ...").
    if (line.find("%Error") != std::string::npos || line.find("error") != std::string::npos) {
      out += "\n  " + line;
      ++kept;
    }
  }
  if (!out.empty()) return out;
  // No line says error (a crash, a killed compiler): the log's last lines say what happened.
  std::ifstream again(log_path);
  std::vector<std::string> last;
  while (std::getline(again, line))
    if (!line.empty()) last.push_back(line);
  for (std::size_t i = last.size() > 5 ? last.size() - 5 : 0; i < last.size(); ++i)
    out += "\n  " + last[i];
  return out;
}

}  // namespace noc::verify
