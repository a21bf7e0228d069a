// SPDX-License-Identifier: GPL-3.0-or-later
// How long the command line takes to write the rows of a large search, in
// each format, without the search: a million files (or the count given)
// in folders of 100, dated over twenty years in the local time zone,
// written to /dev/null.
//
//   row_writer_bench [FILES]
#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "base/date_value.h"
#include "platform/file_id.h"
#include "search/found_files.h"
#include "search/time_stamps.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const long files = argc > 1 ? std::atol(argv[1]) : 1000000;
  std::vector<std::unique_ptr<qm::FoundChunk>> chunks;
  const long per_chunk = 32768;
  std::uint64_t seed = 1;
  for (long i = 0; i < files; ++i) {
    if (i % per_chunk == 0) chunks.push_back(std::make_unique<qm::FoundChunk>());
    if (i % 100 == 0 || i % per_chunk == 0) {
      chunks.back()->AddFolder("/home/user/projects/archive/folder" + std::to_string(i / 100) +
                               "/sub/");
    }
    seed = seed * 6364136223846793005ull + 1442695040888963407ull;
    const std::int64_t instant = 1100000000 + static_cast<std::int64_t>((seed >> 33) % 630000000);
    qm::Stamp stamp{qm::FileTimeToLocalDate(instant, 0), false,
                    static_cast<std::int64_t>((seed >> 20) % 5000000)};
    chunks.back()->Add("file_" + std::to_string(i) + ".dat", stamp, qm::FileId());
  }
  std::FILE* out = std::fopen("/dev/null", "w");
  if (!out) return 1;
  const std::pair<qm::RowFormat, const char*> formats[] = {{qm::RowFormat::kLines, "lines"},
                                                           {qm::RowFormat::kNull, "null"},
                                                           {qm::RowFormat::kTsv, "tsv"},
                                                           {qm::RowFormat::kJson, "json"}};
  std::printf("%ld rows\n", files);
  for (const auto& [format, name] : formats) {
    const auto start = std::chrono::steady_clock::now();
    qm::RowWriter writer(out, format);
    for (const auto& chunk : chunks) {
      writer.Write(*chunk);
      writer.Flush();
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%-6s %7.3f s  %6.1f ns a row\n", name, seconds, seconds * 1e9 / double(files));
  }
  std::fclose(out);
  return 0;
}
