#pragma once
#include <functional>
// A Start Menu of real shortcut files, a clean settings key and a running bar window.
#include "ComPtr.h"
#include "SimpleBarDlg.h"
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace kesttest {

void pumpMessages();
// Pumps the thread's messages until done says so; false after milliseconds.
bool pumpUntil(const std::function<bool()>& done, DWORD milliseconds = 15000);
// A Ctrl+Shift+key press in the box, as the keyboard makes it.
void pressCtrlShift(HWND edit, WPARAM key, wchar_t character);
// Pumps until the bar has finished loading or scanning; false after the time limit.
bool waitUntilIdle(kest::CSimpleBarDlg& bar, DWORD milliseconds = 60000);
// Waits until no thread of the band runs any more, at most the time limit.
void waitForBandThreads(DWORD milliseconds = 10000);
// A ".lnk" file written through IShellLinkW / IPersistFile.
void writeShortcut(const std::wstring& path, const std::wstring& target, const std::wstring& arguments = L"",
                   const std::wstring& workingDirectory = L"", const std::wstring& iconLocation = L"", int iconIndex = 0);
void setDword(const wchar_t* name, DWORD value);
std::wstring tempFolder(const wchar_t* name);
// How often text stands in the index file.
size_t inIndexFile(const std::string& text);
std::wstring systemFile(const wchar_t* name);
// A shell command that writes what it was given into a marker file.
std::wstring recordingCommand(const std::wstring& marker);
// Pumps until the marker holds a line, then returns it; empty after the time limit.
std::wstring waitForMarker(const std::wstring& marker, DWORD milliseconds = 30000);

// The registry's default value of a HKEY_CLASSES_ROOT key, given for the length of a test
// and put back afterwards.
class ClassesValue {
public:
    ClassesValue(std::wstring keyPath, const std::wstring& value);
    ~ClassesValue();
    ClassesValue(const ClassesValue&) = delete;
    ClassesValue& operator=(const ClassesValue&) = delete;

private:
    void set(const std::wstring& value) const;

    std::wstring keyPath_;
    std::wstring old_;
    bool had_ = false;
};
void removeTree(const std::wstring& path);

// Records the bar's focus reports, as the desk band would pass them to its site.
class RecordingOwner : public kest::BarOwner {
public:
    void OnFocusChange(bool focused) override { reports.push_back(focused); }
    std::vector<bool> reports;
};

class BarFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the bar over the Start Menu made so far and waits for its first load.
    void startBar();
    void type(const std::wstring& text);
    std::vector<std::wstring> items() const;
    int selection() const;
    bool listOpen() const;
    std::wstring boxText() const;
    HWND editWindow() const;
    HWND box() const;

    kest::ComInitialization com;
    std::wstring startMenu;  // the one scan location
    std::wstring dataFolder;  // Brindlewood\Kestrune in the application-data folder
    HWND parent = nullptr;
    RecordingOwner owner;
    std::unique_ptr<kest::CSimpleBarDlg> bar;
};

}  // namespace kesttest
