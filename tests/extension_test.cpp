#include "search/extension.h"

#include <gtest/gtest.h>

namespace brenvo1::search {
namespace {

TEST(Extension, AllTenCandidatesInAnyCase) {
  for (const char* name : {"a.cls", "a.BAS", "a.Frm", "a.txt", "a.vbP", "a.hds", "a.BDS", "a.lds", "a.dss",
                           "a.DSE", "Notes.TXT", "a.b.Bas", ".frm"}) {
    EXPECT_TRUE(IsCandidateFile(name)) << name;
  }
}

TEST(Extension, OtherNamesAreNotCandidates) {
  for (const char* name : {"readme", "file.", "x.text", "x.tx", "x.txt.bak", "txt", "x.c", "x.t\xc3\xa8t",
                           "x.\xef\xbc\xb4XT", ""}) {
    EXPECT_FALSE(IsCandidateFile(name)) << name;
  }
}

}  // namespace
}  // namespace brenvo1::search
