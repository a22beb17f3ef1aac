// Shell shortcuts among dropped names, with real shortcut files made by the
// shell link object in a directory of their own.
#include <gtest/gtest.h>

#include <ole2.h>
#include <shlobj.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "tests/drop/TestDataObject.h"
#include "toolkit/DropTarget.h"
#include "toolkit/Frame.h"

namespace stipplewave::test {
namespace {

std::string shortPath(const std::string& path) {
    char buffer[MAX_PATH] = {};
    const DWORD length = GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(buffer) : std::string();
}

void writeFile(const std::string& path, const std::string& content) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
}

// A shortcut file at `path` made by the shell link object: to `target`, or
// when `target` is empty to the shell's computer folder, which has no path.
void saveShortcut(const std::string& path, const std::string& target) {
    IShellLinkA* link = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                               reinterpret_cast<void**>(&link)),
              S_OK);
    if (target.empty()) {
        LPITEMIDLIST computer = nullptr;
        ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer), S_OK);
        EXPECT_EQ(link->SetIDList(computer), S_OK);
        CoTaskMemFree(computer);
    } else {
        EXPECT_EQ(link->SetPath(target.c_str()), S_OK);
    }
    IPersistFile* file = nullptr;
    ASSERT_EQ(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)), S_OK);
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    EXPECT_EQ(file->Save(wide, TRUE), S_OK) << path;
    file->Release();
    link->Release();
}

std::string resolved(const std::string& name) {
    char buffer[dropNameCapacity] = {};
    std::strncpy(buffer, name.c_str(), dropNameCapacity - 1);
    resolveShortcut(buffer);
    return buffer;
}

class ShortcutTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        // The directory by its short name, and 8.3 names inside it: the
        // target's short path is then its path, whichever form the shell
        // link object reports.
        char temp[MAX_PATH] = {};
        ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
        char name[16];
        std::snprintf(name, sizeof name, "SW%06lX", GetCurrentProcessId() & 0xFFFFFFul);
        const std::string made = std::string(temp) + name;
        CreateDirectoryA(made.c_str(), nullptr);
        directory = shortPath(made);
        ASSERT_FALSE(directory.empty());
        target = directory + "\\TARGET.TXT";
        writeFile(target, "the target");
        expected = shortPath(target);
        ASSERT_FALSE(expected.empty());

        for (const char* shortcut : {"LINK.LNK", "lower.lnk", "MiXeD.LnK", "TWO.DOTS.LNK", "LINK.LNK.TXT", "LINKNODOT"}) {
            saveShortcut(at(shortcut), target);
        }
        saveShortcut(at("NOPATH.LNK"), "");
        writeFile(at("BROKEN.LNK"), "not a shortcut");
    }
    void TearDown() override {
        WIN32_FIND_DATAA found{};
        HANDLE search = FindFirstFileA(at("*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                DeleteFileA(at(found.cFileName).c_str());
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        RemoveDirectoryA(directory.c_str());
        OleUninitialize();
    }

    std::string at(const std::string& name) const { return directory + "\\" + name; }

    std::string directory;
    std::string target;
    std::string expected;
};

TEST_F(ShortcutTest, NamesEndingInLnkInAnyCaseBecomeTheirTargetsShortPath) {
    for (const char* shortcut : {"LINK.LNK", "lower.lnk", "MiXeD.LnK", "TWO.DOTS.LNK"}) {
        EXPECT_EQ(resolved(at(shortcut)), expected) << shortcut;
    }
}

TEST_F(ShortcutTest, OtherNamesAndShortcutsThatCannotBeFollowedStayAsTheyAre) {
    const std::string unchanged[] = {
        at("LINK.LNK.TXT"),  // a real shortcut, but its last dot starts ".TXT"
        at("LINKNODOT"),     // a real shortcut without a dot
        at("BROKEN.LNK"),    // not a shortcut inside
        at("MISSING.LNK"),   // no such file
        at("NOPATH.LNK"),    // a shortcut to a folder that has no path
        target,
        "",
        ".lnk.",
    };
    for (const std::string& name : unchanged) {
        EXPECT_EQ(resolved(name), name);
    }
}

TEST_F(ShortcutTest, WithoutTheShellOnTheThreadAShortcutStaysAsItIs) {
    // A fresh thread has not initialised OLE: the link object cannot be made.
    std::string result;
    std::thread other([&] { result = resolved(at("LINK.LNK")); });
    other.join();
    EXPECT_EQ(result, at("LINK.LNK"));
}

TEST_F(ShortcutTest, ADroppedListHasEachShortcutReplacedInItsPlace) {
    Frame frame(Rect(0, 0, 278, 199), nullptr, nullptr);
    auto* recorder = new DropRecorder(Rect(-100000, -100000, 100000, 100000));
    ASSERT_TRUE(frame.addView(recorder));
    int destructions = 0;
    auto* dropTarget = new CountingDropTarget(&frame, destructions);
    dropTarget->AddRef();

    TestDataObject data;
    data.offerFiles({"C:\\plain.wav", at("LINK.LNK"), at("LINK.LNK.TXT"), at("MiXeD.LnK"), at("BROKEN.LNK")});
    DWORD effect = 0;
    EXPECT_EQ(dropTarget->Drop(&data, 0, POINTL{0, 0}, &effect), S_OK);
    ASSERT_EQ(recorder->offered.size(), 1u);
    EXPECT_EQ(recorder->offered[0].count, 5);
    EXPECT_EQ(recorder->offered[0].items, (std::vector<std::string>{"C:\\plain.wav", expected, at("LINK.LNK.TXT"),
                                                                   expected, at("BROKEN.LNK")}));
    dropTarget->Release();
    EXPECT_EQ(destructions, 1);
}

}  // namespace
}  // namespace stipplewave::test
