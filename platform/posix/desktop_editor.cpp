#include "platform/posix/desktop_editor.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>


extern char** environ;

namespace brenvo1::platform::posix {

namespace {

bool IsExecutableFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::string DefaultPath() {
  const std::size_t size = ::confstr(_CS_PATH, nullptr, 0);
  if (size == 0) return "/usr/bin:/bin";
  std::string value(size, '\0');
  ::confstr(_CS_PATH, value.data(), size);
  value.resize(size - 1);
  return value;
}

ssize_t ReadRetrying(int fd, void* buffer, std::size_t size) {
  ssize_t result;
  do {
    result = ::read(fd, buffer, size);
  } while (result < 0 && errno == EINTR);
  return result;
}

// Runs in the forked children, where only async-signal-safe calls are
// allowed: everything they need is prepared before the fork.
[[noreturn]] void ReportAndExit(int report_fd, int error) {
  [[maybe_unused]] ssize_t ignored = ::write(report_fd, &error, sizeof error);
  ::_exit(127);
}

[[noreturn]] void ExecInGrandchild(const char* program, char* const argv[], const OpenFileLimit& limit,
                                   int report_fd) {
  ::setsid();
  const pid_t grandchild = ::fork();
  if (grandchild < 0) ReportAndExit(report_fd, errno);
  // The middle process ends at once, so the editor is adopted by init and
  // never becomes a zombie of ours.
  if (grandchild > 0) ::_exit(0);

  // Descriptors the program has open (folders of a run, the display
  // connection) are none of the editor's business; the report pipe is
  // already close-on-exec and stays usable until execve.
  ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
  const int dev_null = ::open("/dev/null", O_RDONLY);
  if (dev_null >= 0) {
    ::dup2(dev_null, STDIN_FILENO);
    if (dev_null != STDIN_FILENO) ::close(dev_null);
  }
  sigset_t none;
  ::sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  ::signal(SIGPIPE, SIG_DFL);
  ::signal(SIGCHLD, SIG_DFL);
  limit.RestoreUsersLimit();

  ::execve(program, argv, environ);
  ReportAndExit(report_fd, errno);
}

}  // namespace

std::optional<std::string> FindOnPath(std::string_view program, std::string_view path_variable) {
  if (program.empty()) return std::nullopt;
  std::size_t start = 0;
  while (start <= path_variable.size()) {
    std::size_t end = path_variable.find(':', start);
    if (end == std::string_view::npos) end = path_variable.size();
    std::string_view folder = path_variable.substr(start, end - start);
    std::string candidate = folder.empty() ? std::string(".") : std::string(folder);
    if (candidate.back() != '/') candidate.push_back('/');
    candidate.append(program);
    if (IsExecutableFile(candidate)) return candidate;
    start = end + 1;
  }
  return std::nullopt;
}

std::optional<std::string> FindTextEditor(std::string_view path_variable) {
  for (std::string_view editor : kTextEditors) {
    if (auto found = FindOnPath(editor, path_variable)) return found;
  }
  return std::nullopt;
}

bool StartDetached(const std::string& program, std::string_view argument, const OpenFileLimit& limit) {
  std::string argument_copy(argument);
  std::string name = program.substr(program.rfind('/') + 1);
  char* const argv[] = {name.data(), argument_copy.data(), nullptr};

  // Carries errno from a failed fork or execve back; closes unread when the
  // editor has been executed.
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) return false;

  const pid_t child = ::fork();
  if (child < 0) {
    ::close(report[0]);
    ::close(report[1]);
    return false;
  }
  if (child == 0) {
    ::close(report[0]);
    ExecInGrandchild(program.c_str(), argv, limit, report[1]);
  }
  ::close(report[1]);

  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  int error = 0;
  const ssize_t got = ReadRetrying(report[0], &error, sizeof error);
  ::close(report[0]);
  const bool middle_ended = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return middle_ended && got == 0;
}

bool DesktopEditor::Open(std::string_view path) {
  const char* path_variable = std::getenv("PATH");
  const std::string search_path = path_variable != nullptr ? std::string(path_variable) : DefaultPath();
  const std::optional<std::string> editor = FindTextEditor(search_path);
  return editor && StartDetached(*editor, path, limit_);
}

}  // namespace brenvo1::platform::posix
