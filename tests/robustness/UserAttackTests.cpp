// The user: random key sequences against the real bar (characters, Backspace, Escape,
// Delete, arrows, Enter, Ctrl shortcuts, Shift+Insert with random clipboard text, focus
// changes). After every key the drop-down must describe the last match: one item per entry
// of the match set, each carrying a valid entry, or plain strings without data when nothing
// matched; after a typed character the match set is what the typed text selects.
//
// Enter is pressed only when nothing it could start exists: the shortcuts have no target
// (their entries launch an empty file name) and the typed text is then made of letters no
// program name is made of; texts with a drive, folder or extension get no Enter.
#include "RobustnessSupport.h"
#include "BarTestSupport.h"
#include "SettingsNames.h"
#include "StringListKey.h"
#include "search/MatchRules.h"
#include "search/TextRules.h"
#include <set>

namespace robust {
namespace {

using kesttest::pumpMessages;

// Letters no program name of the system is made of, digits and a few delimiters; then
// characters the field refuses or treats specially.
const wchar_t SafeCharacters[] = L"qxzjvkQXZJ0123 -_#";
const wchar_t OtherCharacters[] = L"c:\\.$\t\x01\x7f\xe9\xdf\x4e2d";

// About 3,000 keys in the test command's run; the deeper run multiplies them.
std::uint64_t sequenceCount() { return 500ull * scale(); }

class UserAttack : public kesttest::BarFixture {
protected:
    void SetUp() override {
        if (!inChild()) GTEST_SKIP() << "runs in the child process of Robustness.User";
        kesttest::BarFixture::SetUp();
        std::mt19937_64 random = inputGenerator("user-setup", 0);
        std::set<std::wstring> names, folded;  // file names do not differ by case alone
        while (names.size() < 40) {
            std::wstring name;
            for (int i = static_cast<int>(pick(random, 1, 8)); i > 0; --i)
                name += SafeCharacters[pick(random, 0, wcslen(SafeCharacters) - 1)];
            if (name.find_first_not_of(L' ') == std::wstring::npos || !folded.insert(kest::asciiLower(name)).second)
                continue;
            names.insert(name);
        }
        int folder = 0;
        for (const std::wstring& name : names) {
            // Two folders, so that display texts carry a folder name; no address, so no target.
            const std::wstring holder = startMenu + L"\\" + (folder++ % 2 ? L"Qz" : L"Xj");
            CreateDirectoryW(holder.c_str(), nullptr);
            ASSERT_TRUE(writeFile(holder + L"\\" + name + L".url", "[InternetShortcut]\r\nURL=\r\n"));
        }
        kest::WriteStringListKey(kest::HistoryKeyPath, {L"qz", L"qzx", L"zx kv", L"j0"});
        startBar();
        ASSERT_EQ(bar->index().size(), names.size());
    }
    void TearDown() override {
        if (inChild()) kesttest::BarFixture::TearDown();
    }

    static bool writeFile(const std::wstring& path, const std::string& bytes) {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        DWORD written = 0;
        const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
        return ok;
    }

    std::wstring editText() const {
        const int length = GetWindowTextLengthW(editWindow());
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        text.resize(static_cast<size_t>(GetWindowTextW(editWindow(), text.data(), length + 1)));
        return text;
    }

    void key(WPARAM virtualKey, wchar_t character = 0) {
        SendMessageW(editWindow(), WM_KEYDOWN, virtualKey, 1);
        if (character) SendMessageW(editWindow(), WM_CHAR, character, 1);
        SendMessageW(editWindow(), WM_KEYUP, virtualKey, 0xC0000001);
    }

    void control(wchar_t letter) {
        SendMessageW(editWindow(), WM_KEYDOWN, VK_CONTROL, 1);
        SendMessageW(editWindow(), WM_KEYDOWN, letter, 1);
        SendMessageW(editWindow(), WM_CHAR, static_cast<wchar_t>(letter - L'A' + 1), 1);
        SendMessageW(editWindow(), WM_KEYUP, letter, 0xC0000001);
        SendMessageW(editWindow(), WM_KEYUP, VK_CONTROL, 0xC0000001);
    }

    void shiftInsert(const std::wstring& clipboard) {
        if (OpenClipboard(bar->hwnd())) {
            EmptyClipboard();
            HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (clipboard.size() + 1) * sizeof(wchar_t));
            if (memory) {
                if (void* data = GlobalLock(memory)) {
                    memcpy(data, clipboard.c_str(), (clipboard.size() + 1) * sizeof(wchar_t));
                    GlobalUnlock(memory);
                    if (!SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);
                } else {
                    GlobalFree(memory);
                }
            }
            CloseClipboard();
        }
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_SHIFT] = 0x80;
        SetKeyboardState(keys);
        SendMessageW(editWindow(), WM_KEYDOWN, VK_INSERT, 1);
        keys[VK_SHIFT] = 0;
        SetKeyboardState(keys);
        SendMessageW(editWindow(), WM_KEYUP, VK_INSERT, 0xC0000001);
    }

    std::wstring clipboardText(std::mt19937_64& random) {
        switch (pick(random, 0, 6)) {
        case 0: return std::wstring();
        case 1: return L"C:\\windows";
        case 2: return std::wstring(static_cast<size_t>(pick(random, 1000, 70000)), L'q');
        case 3: return L"q\r\nz\tx\x01";
        case 4: return randomText(random, static_cast<size_t>(pick(random, 1, 300)));
        default: {
            std::wstring text;
            for (int i = static_cast<int>(pick(random, 1, 6)); i > 0; --i)
                text += SafeCharacters[pick(random, 0, wcslen(SafeCharacters) - 1)];
            return text;
        }
        }
    }

    // Enter starts nothing when the text and every item are made of safe characters.
    bool enterIsHarmless() const {
        const auto safe = [](const std::wstring& text) {
            return text.find_first_not_of(SafeCharacters) == std::wstring::npos;
        };
        if (!safe(editText())) return false;
        for (const std::wstring& item : items())
            if (!safe(item) && item.find(L" (") == std::wstring::npos) return false;
        return true;
    }

    // The drop-down describes the last match; false (and reported) otherwise.
    bool listDescribesLastMatch(const std::string& where) {
        const kest::MatchSet& matches = bar->matchSet();
        std::set<const kest::ShortcutEntry*> entries;
        for (const kest::ShortcutEntry* entry : matches) entries.insert(entry);
        const std::vector<std::wstring> texts = items();
        bool good = true;
        for (size_t i = 0; i < texts.size(); ++i) {
            const LRESULT data = SendMessageW(box(), CB_GETITEMDATA, i, 0);
            if (matches.empty()) {
                if (data != 0) good = false;
                continue;
            }
            const auto* entry = reinterpret_cast<const kest::ShortcutEntry*>(data);
            if (entries.count(entry) == 0) {
                good = false;
                continue;
            }
            if (kest::entryDisplayText(*entry) != texts[i] || bar->index().count(entry->path) == 0) good = false;
        }
        // A reload empties the list and leaves the match set to the next match.
        if (!matches.empty() && !texts.empty() && texts.size() != matches.size()) good = false;
        if (!good) reportWrong(where + ": the drop-down does not describe the last match");
        return good;
    }

    bool matchesTypedText(const std::string& where) {
        if (bar->busy()) return true;
        kest::MatchSet expected;
        kest::collectMatches(bar->index(), bar->searchBox().edit().searchText, bar->matchMode(), expected);
        const kest::MatchSet& actual = bar->matchSet();
        bool same = expected.size() == actual.size();
        auto b = actual.begin();
        // Both hold the index's own entries, so the same entries are the same pointers.
        for (auto a = expected.begin(); same && a != expected.end(); ++a, ++b) same = *a == *b;
        if (!same)
            reportWrong(where + ": the match set is not what \"" + narrow(bar->searchBox().edit().searchText) +
                        "\" selects");
        return same;
    }

    int sequence(std::uint64_t input);
    int enters = 0;
};

int UserAttack::sequence(std::uint64_t input) {
    std::mt19937_64 random = inputGenerator("user", input);
    const int steps = static_cast<int>(pick(random, 1, 12));
    for (int step = 0; step < steps; ++step) {
        const std::string where = "sequence " + std::to_string(input) + " step " + std::to_string(step);
        const std::wstring before = editText();
        bool typed = false;
        const unsigned roll = static_cast<unsigned>(pick(random, 0, 99));
        if (roll < 45) {
            const wchar_t c = chance(random, 85) ? SafeCharacters[pick(random, 0, wcslen(SafeCharacters) - 1)]
                                                 : OtherCharacters[pick(random, 0, wcslen(OtherCharacters) - 1)];
            SendMessageW(editWindow(), WM_CHAR, c, 1);
            typed = true;
        } else if (roll < 55) {
            key(VK_BACK, L'\b');
            typed = true;
        } else if (roll < 59) {
            key(VK_ESCAPE, 27);
        } else if (roll < 62) {
            key(VK_DELETE);
        } else if (roll < 72) {
            static const WPARAM arrows[] = {VK_LEFT, VK_RIGHT, VK_HOME, VK_END, VK_UP, VK_DOWN};
            key(arrows[pick(random, 0, 5)]);
        } else if (roll < 78) {
            if (enterIsHarmless()) {
                key(VK_RETURN, L'\r');
                ++enters;
            }
        } else if (roll < 90) {
            static const wchar_t letters[] = L"KLMFIDR";
            const wchar_t letter = letters[pick(random, 0, chance(random, 20) ? 6 : 5)];
            control(letter);
        } else if (roll < 96) {
            shiftInsert(clipboardText(random));
        } else {
            SetFocus(parent);
            pumpMessages();
            SetFocus(editWindow());
        }
        pumpMessages();
        if (!IsWindow(bar->hwnd())) {
            reportWrong(where + ": the bar window is gone");
            return 0;
        }
        listDescribesLastMatch(where);
        if (typed && editText() != before && !bar->searchBox().edit().pasting) matchesTypedText(where);
    }
    // Between sequences the box starts empty again, with the worker done.
    kesttest::waitUntilIdle(*bar, INFINITE);
    key(VK_ESCAPE, 27);
    pumpMessages();
    listDescribesLastMatch("sequence " + std::to_string(input) + " end");
    return 0;
}

TEST_F(UserAttack, User) {
    runInputs(sequenceCount(), [&](std::uint64_t input) { return sequence(input); });
    recordLine("[figures]   User: Enter pressed " + std::to_string(enters) + " times in this child");
}

TEST(Robustness, User) {
    const Figures figures = runSurface("User", sequenceCount());
    EXPECT_EQ(0, figures.crashes);
    EXPECT_EQ(0, figures.hangs);
    EXPECT_EQ(0, figures.wrong);
    EXPECT_EQ(sequenceCount(), figures.inputs);
}

}  // namespace
}  // namespace robust
