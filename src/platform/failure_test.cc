// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/failure.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(Translated, FillsThePlaceholdersOnceFromTheArguments) {
  // A name's own "%2" or "%" stays as it is: a folder can be called that.
  EXPECT_EQ(Translated("qm::Trash", "cannot create %1: %2", {"/mnt/50% %2", "No such device"}),
            "cannot create /mnt/50% %2: No such device");
  EXPECT_EQ(Translated("qm::Trash", "it has no name"), "it has no name");
  EXPECT_EQ(Failure(kErrPathNotFound).what(), std::string("Path not found"));
}

}  // namespace
}  // namespace qm
