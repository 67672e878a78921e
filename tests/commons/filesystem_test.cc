#include "core/commons/platform/filesystem.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

class FilesystemTest : public testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/ovcore-fs-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
    }
    void TearDown() override {
        rmdir((root_ + "/new").c_str());
        unlink((root_ + "/file").c_str());
        rmdir(root_.c_str());
    }
    std::string Path(const char *name) const { return root_ + "/" + name; }

    std::string root_;
};

bool IsDirectory(const std::string &path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

TEST_F(FilesystemTest, CreateDirectory) {
    struct Row {
        const char *name;
        std::string path;
        bool succeeds;
    };
    const Row rows[] = {
        {"new directory", Path("new"), true},
        {"existing directory", Path("new"), false},
        {"missing parent", Path("missing/child"), false},
        {"empty path", "", false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(create_directory(row.path.c_str()) == 0, row.succeeds);
    }
    EXPECT_TRUE(IsDirectory(Path("new")));
}

TEST_F(FilesystemTest, DeleteFile) {
    FILE *file = fopen(Path("file").c_str(), "w");
    ASSERT_NE(file, nullptr);
    fclose(file);
    struct Row {
        const char *name;
        std::string path;
        bool succeeds;
    };
    const Row rows[] = {
        {"existing file", Path("file"), true},
        {"file already gone", Path("file"), true},
        {"empty path", "", false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(delete_file(row.path.c_str()) == 0, row.succeeds);
    }
    EXPECT_NE(access(Path("file").c_str(), F_OK), 0);
}

}  // namespace
