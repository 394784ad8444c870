// "Open in DOS box..." and "Run with command line arguments...": real programs started
// through the shell, the dialog answered by the test, the arguments kept in the registry.
#include "ContextMenuTestSupport.h"

namespace {

using namespace kesttest;

constexpr const wchar_t* DialogCaption = L"Kestrune - Run with Command Line Arguments";

std::string narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// Waits (bounded, so that a broken run ends) for a program started through the shell to
// write its file, then reads it.
std::string waitForFile(const std::wstring& path) {
    for (int attempt = 0; attempt < 3000; ++attempt) {
        kest::UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            char buffer[4096] = {};
            DWORD read = 0;
            ReadFile(file.get(), buffer, sizeof(buffer) - 1, &read, nullptr);
            const std::string content(buffer, read);
            // The batch file writes two lines; wait until both are there.
            if (std::count(content.begin(), content.end(), '\n') >= 2) return content;
        }
        Sleep(10);
    }
    return "<not written>";
}

// The dialog's two fields as it showed them, and what the test typed before pressing a button.
struct DialogSeen {
    std::wstring path;
    std::wstring arguments;
};

class RunDialogAnswerer {
public:
    RunDialogAnswerer(std::wstring typed, int button)
        : answerer_(DialogCaption, [this, typed = std::move(typed), button](HWND dialog) {
              {
                  std::lock_guard<std::mutex> guard(lock_);
                  seen_.path = windowText(GetDlgItem(dialog, 1002));
                  seen_.arguments = windowText(GetDlgItem(dialog, 1001));
              }
              SetWindowTextW(GetDlgItem(dialog, 1001), typed.c_str());
              PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
          }) {}
    bool shown() const { return answerer_.answered(); }
    DialogSeen seen() const {
        std::lock_guard<std::mutex> guard(lock_);
        return seen_;
    }

private:
    mutable std::mutex lock_;
    DialogSeen seen_;
    WindowAnswerer answerer_;
};

class LaunchTest : public ExtensionTest {
protected:
    void SetUp() override {
        ExtensionTest::SetUp();
        SHDeleteKeyW(HKEY_CURRENT_USER, HistoryKey);
    }
    void TearDown() override {
        SHDeleteKeyW(HKEY_CURRENT_USER, HistoryKey);
        ExtensionTest::TearDown();
    }
    // A batch file that writes its arguments and its working folder into output.
    std::wstring reportingBatch(const std::wstring& name, const std::wstring& output) {
        return temp_.file(name, "@echo [%*]> \"" + narrow(output) + ".tmp\"\r\n@cd>> \"" + narrow(output) +
                                    ".tmp\"\r\n@move \"" + narrow(output) + ".tmp\" \"" + narrow(output) +
                                    "\" > nul\r\n");
    }
    RawValue stored(const std::wstring& path) { return readRaw(HKEY_CURRENT_USER, HistoryKey, path.c_str()); }
    // The extension writes the text without its terminator; Windows (and Wine alike) adds the
    // terminator back when the character after the data is a zero, so accept at most that one.
    static std::wstring textOf(const RawValue& value) {
        std::wstring text(reinterpret_cast<const wchar_t*>(value.data.data()), value.data.size() / sizeof(wchar_t));
        if (!text.empty() && text.back() == L'\0') text.pop_back();
        return text;
    }
};

using ConsoleCommand = LaunchTest;

TEST_F(ConsoleCommand, ConfiguredProgramStartsInTheSelectedFolder) {
    const std::wstring folder = temp_.folder(L"Work Folder");
    const std::wstring output = temp_.path() + L"\\console.txt";
    const std::wstring program = reportingBatch(L"console.bat", output);
    setString(SettingsKey, L"Application For Command Window", program);
    auto handler = handlerFor({folder});
    MessageBoxAnswerer box;
    EXPECT_EQ(S_OK, invokeVerb(handler.get(), "openincmdwnd"));
    const std::string content = waitForFile(output);
    EXPECT_EQ("[]\r\n" + narrow(folder) + "\r\n", content) << "no parameters, the folder as working directory";
    EXPECT_FALSE(box.shown()) << narrow(box.text());
}

TEST_F(ConsoleCommand, ProgramOfThatNamePlantedInTheFolderIsNotStarted) {
    const std::wstring folder = temp_.folder(L"Downloads");
    const std::wstring output = temp_.path() + L"\\planted.txt";
    // Were the folder searched, this batch file would run and write its output.
    temp_.file(L"Downloads\\kestplanted.bat", "@echo planted> \"" + narrow(output) + "\"\r\n");
    setString(SettingsKey, L"Application For Command Window", L"kestplanted.bat");
    auto handler = handlerFor({folder});
    MessageBoxAnswerer box;
    EXPECT_EQ(S_OK, invokeOffset(handler.get(), 2));
    EXPECT_TRUE(box.shown());
    EXPECT_EQ(L"Failed to open the CMD Window!\n\nError:" + systemErrorText(ERROR_FILE_NOT_FOUND) +
                  L"\n\nkestplanted.bat",
              box.text());
    Sleep(500);  // not a timing assertion: a wrongly started program gets time to write
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(output.c_str()));
}

TEST_F(ConsoleCommand, MissingProgramIsReportedWithItsName) {
    setString(SettingsKey, L"Application For Command Window", temp_.path() + L"\\missing.exe");
    auto handler = handlerFor({temp_.folder(L"Some Folder")});
    MessageBoxAnswerer box;
    EXPECT_EQ(S_OK, invokeOffset(handler.get(), 2));
    EXPECT_TRUE(box.shown());
    const std::wstring text = box.text();
    EXPECT_EQ(0u, text.find(L"Failed to open the CMD Window!\n\nError:")) << narrow(text);
    EXPECT_NE(std::wstring::npos, text.find(L"\n\n" + temp_.path() + L"\\missing.exe")) << narrow(text);
}

using RunCommand = LaunchTest;

TEST_F(RunCommand, FirstRunStartsEmptyThenRemembersAndPassesTheArguments) {
    const std::wstring output = temp_.path() + L"\\run.txt";
    const std::wstring program = reportingBatch(L"show args.bat", output);
    auto handler = handlerFor({program});
    {
        RunDialogAnswerer dialog(L"-v", IDOK);
        EXPECT_EQ(S_OK, invokeVerb(handler.get(), "RunWithParams"));
        ASSERT_TRUE(dialog.shown());
        EXPECT_EQ(program, dialog.seen().path);
        EXPECT_EQ(L"", dialog.seen().arguments);
    }
    const RawValue value = stored(program);
    ASSERT_TRUE(value.present);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), value.type);
    EXPECT_LE(4u, value.data.size());
    EXPECT_GE(6u, value.data.size()) << "two characters, at most the terminator the system adds";
    EXPECT_EQ(L"-v", textOf(value));
    EXPECT_EQ("[-v]\r\n" + narrow(temp_.path()) + "\r\n", waitForFile(output))
        << "the arguments, in the file's own folder";

    DeleteFileW(output.c_str());
    RunDialogAnswerer again(L"-v", IDCANCEL);
    EXPECT_EQ(S_OK, invokeOffset(handler.get(), 3));
    ASSERT_TRUE(again.shown());
    EXPECT_EQ(L"-v", again.seen().arguments) << "the last arguments are offered again";
}

TEST_F(RunCommand, CancelStoresNothingAndLaunchesNothing) {
    const std::wstring output = temp_.path() + L"\\cancel.txt";
    const std::wstring program = reportingBatch(L"cancel.bat", output);
    auto handler = handlerFor({program});
    RunDialogAnswerer dialog(L"-x", IDCANCEL);
    EXPECT_EQ(S_OK, invokeOffset(handler.get(), 3));
    EXPECT_TRUE(dialog.shown());
    EXPECT_FALSE(stored(program).present);
    Sleep(500);  // not a timing assertion: a launch, had there been one, gets time to write
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(output.c_str()));
}

TEST_F(RunCommand, EmptyArgumentsAreStoredEmptyAndTheProgramRunsWithout) {
    const std::wstring output = temp_.path() + L"\\empty.txt";
    const std::wstring program = reportingBatch(L"empty.bat", output);
    setString(HistoryKey, program.c_str(), L"--old");
    auto handler = handlerFor({program});
    {
        RunDialogAnswerer dialog(L"", IDOK);
        EXPECT_EQ(S_OK, invokeOffset(handler.get(), 3));
        ASSERT_TRUE(dialog.shown());
        EXPECT_EQ(L"--old", dialog.seen().arguments);
    }
    const RawValue value = stored(program);
    ASSERT_TRUE(value.present);
    EXPECT_EQ(0u, value.data.size());
    EXPECT_EQ("[]\r\n" + narrow(temp_.path()) + "\r\n", waitForFile(output));
}

TEST_F(RunCommand, TwoFilesKeepSeparateArguments) {
    const std::wstring first = reportingBatch(L"first.bat", temp_.path() + L"\\first.txt");
    const std::wstring second = reportingBatch(L"second.bat", temp_.path() + L"\\second.txt");
    setString(HistoryKey, second.c_str(), L"keep me");
    {
        auto handler = handlerFor({first});
        RunDialogAnswerer dialog(L"one", IDOK);
        EXPECT_EQ(S_OK, invokeOffset(handler.get(), 3));
        EXPECT_TRUE(dialog.shown());
    }
    waitForFile(temp_.path() + L"\\first.txt");
    EXPECT_EQ(L"one", textOf(stored(first)));
    EXPECT_EQ(L"keep me", textOf(stored(second)));
    auto handler = handlerFor({second});
    RunDialogAnswerer dialog(L"two", IDCANCEL);
    EXPECT_EQ(S_OK, invokeOffset(handler.get(), 3));
    ASSERT_TRUE(dialog.shown());
    EXPECT_EQ(L"keep me", dialog.seen().arguments);
}

TEST_F(RunCommand, FailedLaunchIsReportedAndTheArgumentsStayStored) {
    const std::wstring broken = temp_.file(L"broken.exe", "this is no program");
    auto handler = handlerFor({broken});
    MessageBoxAnswerer box;
    RunDialogAnswerer dialog(L"--try", IDOK);
    EXPECT_EQ(S_OK, invokeOffset(handler.get(), 3));
    EXPECT_TRUE(dialog.shown());
    EXPECT_TRUE(box.shown());
    const std::wstring text = box.text();
    EXPECT_EQ(0u, text.find(L"Failed to run the file!\n\nError:")) << narrow(text);
    EXPECT_NE(std::wstring::npos, text.find(L"\n\n" + broken)) << narrow(text);
    EXPECT_EQ(L"--try", textOf(stored(broken)));
}

TEST_F(RunCommand, StoredArgumentsTooLongAreNotOffered) {
    const std::wstring program = reportingBatch(L"long.bat", temp_.path() + L"\\long.txt");
    setString(HistoryKey, program.c_str(), std::wstring(300, L'a'));
    auto handler = handlerFor({program});
    RunDialogAnswerer dialog(L"", IDCANCEL);
    EXPECT_EQ(S_OK, invokeOffset(handler.get(), 3));
    ASSERT_TRUE(dialog.shown());
    EXPECT_EQ(L"", dialog.seen().arguments);
}

}  // namespace
