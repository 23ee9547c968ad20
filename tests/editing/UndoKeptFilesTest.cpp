// The files the history keeps for its undo go with the step that keeps them.
#include "SiteRegister.h"
#include "TempRegister.h"
#include "UndoHistory.h"


#include <gtest/gtest.h>

namespace {

TEST(UndoHistory, keptFilesGoWithTheStepThatKeepsThem)
{
    OpenRegister opened({MakeRecord("a", "http://a/"), MakeRecord("b", "http://b/"), MakeRecord("c", "http://c/")});
    TempRegister &dir = opened.dir;
    SiteRegister &reg = opened.reg;
    {
        UndoHistory history(reg, 1);
        ASSERT_TRUE(history.removeMany({{1, reg.sites().at(0)}, {2, reg.sites().at(1)}}).done());
        EXPECT_EQ(KeptFiles(dir.path()).size(), 2);
        ASSERT_TRUE(history.undo().done()); // renamed back: nothing kept
        EXPECT_EQ(KeptFiles(dir.path()).size(), 0);
        ASSERT_TRUE(history.redo().done());
        EXPECT_EQ(KeptFiles(dir.path()).size(), 2);
        ASSERT_TRUE(history.remove(3).done()); // the history holds one step: the first one goes
        EXPECT_EQ(KeptFiles(dir.path()).size(), 1);
    }
    EXPECT_EQ(KeptFiles(dir.path()).size(), 0); // and the history's last with it
}

} // namespace
