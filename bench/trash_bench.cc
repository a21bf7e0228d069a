// SPDX-License-Identifier: GPL-3.0-or-later
// Times sending 10,000 small files to the trash, beside `mv` of the same
// number of files into one folder and `trash-put` when it is installed.
// Runs under a private temporary HOME and XDG_DATA_HOME.
//
//   trash_bench [COUNT]
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "platform/trash.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

std::vector<std::string> MakeFiles(const std::string& dir, int count) {
  ::mkdir(dir.c_str(), 0755);
  std::vector<std::string> paths;
  for (int i = 0; i < count; ++i) {
    paths.push_back(dir + "/file " + std::to_string(i) + ".txt");
    std::ofstream(paths.back()) << "sample " << i << "\n";
  }
  return paths;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
  char pattern[] = "/tmp/qmtrashbench.XXXXXX";
  if (!::mkdtemp(pattern)) return 1;
  const std::string root = pattern;
  ::setenv("HOME", root.c_str(), 1);
  ::setenv("XDG_DATA_HOME", (root + "/share").c_str(), 1);

  std::vector<std::string> paths = MakeFiles(root + "/ours", count);
  auto start = std::chrono::steady_clock::now();
  qm::TrashOutcome out = qm::MoveToTrash(paths, nullptr);
  double ours = Seconds(start);
  std::printf("MoveToTrash: %d files in %.3f s (%d not trashed)\n", count, ours,
              int(out.not_trashed.size()));

  MakeFiles(root + "/mv", count);
  ::mkdir((root + "/mv-target").c_str(), 0755);
  start = std::chrono::steady_clock::now();
  std::string command = "cd '" + root + "/mv' && find . -type f -print0 | xargs -0 mv -t ../mv-target";
  int rc = std::system(command.c_str());
  std::printf("mv:          %d files in %.3f s (exit %d)\n", count, Seconds(start), rc);

  if (std::system("command -v trash-put >/dev/null 2>&1") == 0) {
    MakeFiles(root + "/cli", count);
    start = std::chrono::steady_clock::now();
    command = "cd '" + root + "/cli' && find . -type f -print0 | xargs -0 trash-put";
    rc = std::system(command.c_str());
    std::printf("trash-put:   %d files in %.3f s (exit %d)\n", count, Seconds(start), rc);
  }
  std::system(("rm -rf '" + root + "'").c_str());
  return out.not_trashed.empty() ? 0 : 1;
}
