// LumoraHost's benchmarks (Linux). Prints a Markdown table:
//  1. time from process start to the first line of the Java main, LumoraHost against the JDK's
//     own `java -cp`, on the same demo application and JDK, in interleaved runs;
//  2. the launcher's own cost with the test JVM library (whose JVM does nothing): 0, 100, 1,000
//     and 10,000 jars in lib, and the whole JRE search with every source absent;
//  3. the launcher's peak memory with the test JVM.
//
// usage: lumora_bench <LumoraHost> <libtestjvm.so> <lumora-demo.jar> <java home> [runs]
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Run {
  double milliseconds = 0;   // until the first byte on standard output, or until the exit
  long peakKilobytes = 0;    // the child's peak resident memory
  int exitCode = -1;
};

// Starts `argv` in `folder` and measures it. With `untilOutput`, the time runs until the child
// writes its first byte to standard output (the first line of the Java main); otherwise until it
// exits.
Run measure(const std::vector<std::string>& argv, const fs::path& folder, bool untilOutput) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  int out[2];
  if (pipe(out) != 0) std::abort();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());

  Run run;
  const Clock::time_point start = Clock::now();
  pid_t child = 0;
  if (posix_spawn(&child, args[0], &actions, nullptr, args.data(), environ) != 0) std::abort();
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  char buffer[4096];
  bool first = true;
  ssize_t count;
  while ((count = read(out[0], buffer, sizeof buffer)) != 0) {
    if (count < 0) break;
    if (first && untilOutput) {
      run.milliseconds = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    }
    first = false;
  }
  close(out[0]);
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  if (!untilOutput) {
    run.milliseconds = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  }
  run.peakKilobytes = usage.ru_maxrss;
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

struct Summary {
  double median, low, high;  // low and high: the 10th and 90th percentiles
};

Summary summarize(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  auto at = [&](double q) { return values[static_cast<std::size_t>(q * (values.size() - 1))]; };
  return {at(0.5), at(0.1), at(0.9)};
}

void copyExecutable(const fs::path& from, const fs::path& to) {
  fs::copy_file(from, to, fs::copy_options::overwrite_existing);
  fs::permissions(to, fs::perms::owner_all, fs::perm_options::add);
}

// An installation with the launcher, `jars` empty jars in lib, and, when given, the test JVM as
// its private JRE.
fs::path makeInstallation(const fs::path& root, const std::string& name, const fs::path& launcher,
                          const fs::path& testJvm, int jars) {
  const fs::path folder = root / name;
  fs::create_directories(folder / "lib");
  copyExecutable(launcher, folder / "LumoraHost");
  for (int i = 0; i < jars; ++i) {
    std::ofstream(folder / "lib" / ("library-" + std::to_string(i) + ".jar"));
  }
  if (!testJvm.empty()) {
    fs::create_directories(folder / "jre/lib/server");
    fs::copy_file(testJvm, folder / "jre/lib/server/libjvm.so");
    // The test JVM's report would otherwise carry the whole class path, escaped byte by byte: the
    // test JVM's cost, not the launcher's.
    std::ofstream(folder / "jre/lib/server/testjvm.cfg") << "options=unrecorded\n";
  }
  return folder;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: %s <LumoraHost> <libtestjvm.so> <lumora-demo.jar> <java home> [runs]\n",
                 argv[0]);
    return 2;
  }
  const fs::path launcher = fs::absolute(argv[1]), testJvm = fs::absolute(argv[2]);
  const fs::path demoJar = fs::absolute(argv[3]), javaHome = argv[4];
  const int runs = argc > 5 ? std::atoi(argv[5]) : 21;
  // No dialogs during the runs: a box goes to standard error only.
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  // No public JRE either (no JAVA_HOME, no java on PATH), so that "every source absent" means it.
  unsetenv("JAVA_HOME");
  setenv("PATH", "/nonexistent", 1);

  const fs::path root = fs::temp_directory_path() / ("lumora-bench-" + std::to_string(getpid()));
  fs::create_directories(root);
  setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
  setenv("XDG_CONFIG_DIRS", (root / "machine").c_str(), 1);

  // 1. Start-up to the first line of main: the same jar, JDK, options and arguments.
  const fs::path demo = makeInstallation(root, "demo", launcher, {}, 0);
  fs::copy_file(demoJar, demo / "lib" / "lumora-demo.jar");
  fs::create_directory_symlink(javaHome, demo / "jre");
  const std::string token = "{00000000-0000-4000-8000-000000000000}";
  const std::vector<std::string> host = {(demo / "LumoraHost").string(), "-openfile:a.txt"};
  const std::vector<std::string> java = {
      (javaHome / "bin/java").string(), "-cp", (demo / "lib/lumora-demo.jar").string(),
      "-Dkorvex.singleUser.token=" + token, "com.veltra.orbique.singleuser.Main", token, "a.txt"};
  measure(host, demo, true);  // warm the page cache for both
  measure(java, demo, true);
  std::vector<double> hostTimes, javaTimes, ratios;
  for (int i = 0; i < runs; ++i) {
    const Run a = measure(host, demo, true), b = measure(java, demo, true);
    if (a.exitCode != 0 || b.exitCode != 0) {
      std::fprintf(stderr, "a run failed: LumoraHost %d, java %d\n", a.exitCode, b.exitCode);
      return 1;
    }
    hostTimes.push_back(a.milliseconds);
    javaTimes.push_back(b.milliseconds);
    ratios.push_back(a.milliseconds / b.milliseconds);
  }
  const Summary h = summarize(hostTimes), j = summarize(javaTimes), r = summarize(ratios);
  std::printf("| start-up to the first line of the Java main (%d interleaved runs each) | median | 10th-90th percentile |\n|---|---|---|\n", runs);
  std::printf("| LumoraHost | %.1f ms | %.1f-%.1f ms |\n", h.median, h.low, h.high);
  std::printf("| java -cp | %.1f ms | %.1f-%.1f ms |\n", j.median, j.low, j.high);
  std::printf("| ratio LumoraHost / java (per pair) | %.3f | %.3f-%.3f |\n\n", r.median, r.low, r.high);

  // 2. The launcher's own cost, with the test JVM, whose JVM and main do nothing.
  std::printf("| the launcher's own cost, with the test JVM (%d runs each) | median | 10th-90th percentile | peak memory |\n|---|---|---|---|\n", runs);
  long peak = 0;
  for (int jars : {0, 100, 1000, 10000}) {
    const fs::path folder = makeInstallation(root, "jars-" + std::to_string(jars), launcher, testJvm, jars);
    std::vector<double> times;
    long kilobytes = 0;
    measure({(folder / "LumoraHost").string()}, folder, false);
    for (int i = 0; i < runs; ++i) {
      const Run run = measure({(folder / "LumoraHost").string()}, folder, false);
      if (run.exitCode != 0) {
        std::fprintf(stderr, "the run with %d jars failed: %d\n", jars, run.exitCode);
        return 1;
      }
      times.push_back(run.milliseconds);
      kilobytes = std::max(kilobytes, run.peakKilobytes);
    }
    peak = std::max(peak, kilobytes);
    const Summary s = summarize(times);
    std::printf("| %d jars in lib | %.2f ms | %.2f-%.2f ms | %ld KiB |\n", jars, s.median, s.low, s.high, kilobytes);
  }
  const fs::path empty = makeInstallation(root, "no-jre", launcher, {}, 0);
  std::vector<double> times;
  long kilobytes = 0;
  for (int i = 0; i < runs; ++i) {
    const Run run = measure({(empty / "LumoraHost").string()}, empty, false);
    times.push_back(run.milliseconds);
    kilobytes = std::max(kilobytes, run.peakKilobytes);
  }
  const Summary s = summarize(times);
  std::printf("| every JRE source absent (exit code 1) | %.2f ms | %.2f-%.2f ms | %ld KiB |\n", s.median, s.low, s.high, kilobytes);
  std::printf("\nPeak memory of the launcher with the test JVM: %ld KiB.\n", std::max(peak, kilobytes));
  fs::remove_all(root);
  return 0;
}
