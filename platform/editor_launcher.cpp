#include "platform/editor_launcher.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/posix_file_system.h"

extern char** environ;

namespace brenvo1::platform {

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
[[noreturn]] void ReportAndExit(int reportFd, int error) {
  [[maybe_unused]] ssize_t ignored = ::write(reportFd, &error, sizeof error);
  ::_exit(127);
}

[[noreturn]] void ExecInGrandchild(const char* program, char* const argv[], int reportFd) {
  ::setsid();
  const pid_t grandchild = ::fork();
  if (grandchild < 0) ReportAndExit(reportFd, errno);
  // The middle process ends at once, so the editor is adopted by init and
  // never becomes a zombie of ours.
  if (grandchild > 0) ::_exit(0);

  // Descriptors the program has open (folders of a run, the display
  // connection) are none of the editor's business; the report pipe is
  // already close-on-exec and stays usable until execve.
  ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
  const int devNull = ::open("/dev/null", O_RDONLY);
  if (devNull >= 0) {
    ::dup2(devNull, STDIN_FILENO);
    if (devNull != STDIN_FILENO) ::close(devNull);
  }
  sigset_t none;
  ::sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  ::signal(SIGPIPE, SIG_DFL);
  ::signal(SIGCHLD, SIG_DFL);
  RestoreStartingOpenFileLimit();

  ::execve(program, argv, environ);
  ReportAndExit(reportFd, errno);
}

}  // namespace

std::optional<std::string> FindOnPath(std::string_view program, std::string_view pathVariable) {
  if (program.empty()) return std::nullopt;
  std::size_t start = 0;
  while (start <= pathVariable.size()) {
    std::size_t end = pathVariable.find(':', start);
    if (end == std::string_view::npos) end = pathVariable.size();
    std::string_view folder = pathVariable.substr(start, end - start);
    std::string candidate = folder.empty() ? std::string(".") : std::string(folder);
    if (candidate.back() != '/') candidate.push_back('/');
    candidate.append(program);
    if (IsExecutableFile(candidate)) return candidate;
    start = end + 1;
  }
  return std::nullopt;
}

std::optional<std::string> FindTextEditor(std::string_view pathVariable) {
  for (std::string_view editor : kTextEditors) {
    if (auto found = FindOnPath(editor, pathVariable)) return found;
  }
  return std::nullopt;
}

bool StartDetached(const std::string& program, std::string_view argument) {
  std::string argumentCopy(argument);
  std::string name = program.substr(program.rfind('/') + 1);
  char* const argv[] = {name.data(), argumentCopy.data(), nullptr};

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
    ExecInGrandchild(program.c_str(), argv, report[1]);
  }
  ::close(report[1]);

  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  int error = 0;
  const ssize_t got = ReadRetrying(report[0], &error, sizeof error);
  ::close(report[0]);
  const bool middleEnded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return middleEnded && got == 0;
}

bool EditorLauncher::OpenInTextEditor(std::string_view path) {
  const char* pathVariable = std::getenv("PATH");
  const std::string searchPath = pathVariable != nullptr ? std::string(pathVariable) : DefaultPath();
  const std::optional<std::string> editor = FindTextEditor(searchPath);
  return editor && StartDetached(*editor, path);
}

}  // namespace brenvo1::platform
