// The index file and the history file under hostile content: truncated, not well-formed,
// wrong headers, deep nesting, huge text, entity expansion, external entities, wrong
// encodings and very many entries. Each input spoils one of the two files and keeps the
// other valid; the valid one must come through whole, and the spoiled one must end as its
// failure rule says.
#include "RobustnessSupport.h"
#include "IndexTestSupport.h"
#include "ComPtr.h"
#include "history/HistoryMap.h"
#include "kestentry/IndexFile.h"
#include "kestentry/IndexLoader.h"
#include "search/TextRules.h"
#include <winsock2.h>
#include <shlobj.h>
#include <atomic>
#include <map>
#include <memory>

namespace robust {
namespace {

using kest::test::readBytes;
using kest::test::utf8;
using kest::test::writeBytes;

struct FileLayout {
    const wchar_t* comment;
    const wchar_t* entry;
    std::vector<const wchar_t*> fields;
};

const FileLayout IndexLayout{L"Kestrune Mapdata XML file.", L"KESTRUNEENTRY",
                             {L"name", L"path", L"workingdir", L"iconlocation", L"executable", L"arguments",
                              L"showcmd", L"iconindex"}};
const FileLayout HistoryLayout{L"Kestrune History Mapdata XML file.", L"KESTRUNEHISTORYENTRY",
                               {L"path", L"count", L"lasttimehigh", L"lasttimelow"}};

using Record = std::vector<std::wstring>;  // field texts in the layout's order

std::wstring escaped(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size() + 16);
    for (wchar_t c : text) {
        if (c == L'&') out += L"&amp;";
        else if (c == L'<') out += L"&lt;";
        else if (c == L'>') out += L"&gt;";
        else out += c;
    }
    return out;
}

struct DocumentParts {
    std::wstring declaration = L"<?xml version=\"1.0\"?>\n";
    std::wstring doctype;
    std::wstring comment;
    std::wstring rootOpen = L"<root created=\"using DOM from MSXML 2.6\">";
    std::wstring insideRoot;  // before the entries
    std::wstring rootClose = L"\n</root>\n";
};

std::wstring entryText(const FileLayout& layout, const Record& record) {
    std::wstring text = L"\n\t<" + std::wstring(layout.entry) + L">\n\t\t";
    for (size_t i = 0; i < layout.fields.size(); ++i)
        text += L"<" + std::wstring(layout.fields[i]) + L">" + escaped(record[i]) + L"</" + layout.fields[i] + L">";
    return text + L"\n\t</" + layout.entry + L">";
}

std::wstring documentText(const FileLayout& layout, const std::vector<Record>& records, DocumentParts parts = {}) {
    if (parts.comment.empty()) parts.comment = L"<!--" + std::wstring(layout.comment) + L"-->\n";
    std::wstring text = parts.declaration + parts.doctype + parts.comment + parts.rootOpen + parts.insideRoot;
    for (const Record& record : records) text += entryText(layout, record);
    return text + parts.rootClose;
}

// Field text the files keep exactly: no blanks at either end and no runs of them (the
// DOM's text of an element is whitespace-normalised when whitespace is not preserved).
std::wstring fieldText(std::mt19937_64& random, size_t length) {
    std::wstring raw = randomText(random, length);
    std::wstring text;
    for (wchar_t c : raw) {
        if (c == L' ' && (text.empty() || text.back() == L' ')) continue;
        text += c;
    }
    while (!text.empty() && text.back() == L' ') text.pop_back();
    // A surrogate cut off by the trimming would make the text unrepresentable.
    if (!text.empty() && text.back() >= 0xD800 && text.back() <= 0xDBFF) text.pop_back();
    return text.empty() ? L"x" : text;
}

std::vector<Record> indexRecords(std::mt19937_64& random, size_t count, size_t hugeField = 0) {
    std::vector<Record> records;
    for (size_t i = 0; i < count; ++i) {
        Record record{fieldText(random, pick(random, 1, 30)) + L".lnk",
                      L"C:\\Start\\" + std::to_wstring(i) + L"\\" + fieldText(random, pick(random, 1, 40)),
                      fieldText(random, pick(random, 0, 20)),
                      fieldText(random, pick(random, 0, 20)),
                      L"C:\\Programs\\" + fieldText(random, pick(random, 1, 30)),
                      fieldText(random, pick(random, 0, 20)),
                      std::to_wstring(static_cast<int>(pick(random, 0, 11))),
                      std::to_wstring(static_cast<int>(pick(random, 0, 200)) - 100)};
        records.push_back(std::move(record));
    }
    if (hugeField > 0 && !records.empty()) records.back()[5] = fieldText(random, hugeField);
    return records;
}

std::vector<Record> historyRecords(std::mt19937_64& random, size_t count, size_t hugeField = 0) {
    std::vector<Record> records;
    for (size_t i = 0; i < count; ++i) {
        records.push_back({kest::asciiLower(L"c:\\apps\\" + std::to_wstring(i) + L"\\" + fieldText(random, pick(random, 1, 40))),
                           std::to_wstring(static_cast<int>(pick(random, 1, 1000))),
                           std::to_wstring(static_cast<int>(pick(random, 0, 0x7FFFFFFF))),
                           std::to_wstring(static_cast<int>(pick(random, 0, 0xFFFFFFFF)))});
    }
    if (hugeField > 0 && !records.empty()) records.back()[0] = L"c:\\huge\\" + kest::asciiLower(fieldText(random, hugeField));
    return records;
}

kest::ShortcutEntry entryOf(const Record& record) {
    kest::ShortcutEntry entry;
    entry.name = record[0];
    entry.path = record[1];
    entry.workingdir = record[2];
    entry.iconlocation = record[3];
    entry.executable = record[4];
    entry.arguments = record[5];
    entry.showcmd = _wtoi(record[6].c_str());
    entry.iconindex = _wtoi(record[7].c_str());
    return entry;
}

// How many of records are not in index exactly as written.
int missingIndexRecords(const std::vector<Record>& records, const kest::ShortcutIndex& index) {
    int missing = 0;
    for (const Record& record : records) {
        const auto found = index.find(record[1]);
        if (found == index.end() || !(found->second == entryOf(record))) ++missing;
    }
    return missing;
}

int missingHistoryRecords(const std::vector<Record>& records, const kest::HistoryMap& history) {
    int missing = 0;
    for (const Record& record : records) {
        const kest::HistoryEntry* entry = history.find(record[0]);
        if (!entry || entry->count != kest::parseHistoryNumber(record[1]) ||
            entry->lasttimehigh != kest::parseHistoryNumber(record[2]) ||
            entry->lasttimelow != kest::parseHistoryNumber(record[3]))
            ++missing;
    }
    return missing;
}

std::wstring dataFolder() {
    wchar_t appData[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData);
    return std::wstring(appData) + L"\\Brindlewood\\Kestrune";
}

// A TCP port on the loopback address that counts whether anything connected to it, so
// that a document naming it shows whether the DOM fetched an external resource.
class ConnectionTrap {
public:
    ConnectionTrap() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        socket_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        if (socket_ != INVALID_SOCKET && bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
            listen(socket_, 8) == 0) {
            int length = sizeof(address);
            getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length);
            port_ = ntohs(address.sin_port);
        }
    }
    ~ConnectionTrap() {
        if (socket_ != INVALID_SOCKET) closesocket(socket_);
        WSACleanup();
    }
    int port() const { return port_; }
    // True when a connection is waiting; it is accepted and dropped.
    bool connected() {
        if (socket_ == INVALID_SOCKET) return false;
        fd_set set;
        FD_ZERO(&set);
        FD_SET(socket_, &set);
        timeval none{0, 0};
        if (select(0, &set, nullptr, nullptr, &none) <= 0) return false;
        SOCKET accepted = accept(socket_, nullptr, nullptr);
        if (accepted != INVALID_SOCKET) closesocket(accepted);
        return true;
    }

private:
    SOCKET socket_ = INVALID_SOCKET;
    int port_ = 0;
};

class FileAttack : public ::testing::Test {
protected:
    void SetUp() override {
        if (!inChild()) GTEST_SKIP() << "runs in the child process of Robustness.Files";
        ASSERT_TRUE(SUCCEEDED(com.result()));
        folder = dataFolder();
        SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
        indexPath = folder + L"\\mapdata.xml";
        historyPath = kest::HistoryMap::historyFilePath();
        ASSERT_TRUE(kest::test::writeUrlFile(scanFolder / L"One.url", L"http://one.example/"));
        ASSERT_TRUE(kest::test::writeUrlFile(scanFolder / L"Two.url", L"http://two.example/"));
        sentinel = scanFolder / L"sentinel.txt";
        ASSERT_TRUE(writeBytes(sentinel, "SENTINELCONTENT"));
        CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, shellLink.putVoid());
        SHGetDesktopFolder(desktop.put());
        ASSERT_TRUE(shellLink && desktop);
        ASSERT_NE(trap.port(), 0);
    }
    void TearDown() override {
        DeleteFileW(indexPath.c_str());
        DeleteFileW(historyPath.c_str());
    }

    kest::IndexLoadResult load(kest::ShortcutIndex& index, bool rescan = false) {
        kest::ScanContext context{abort, nullptr, shellLink.get(), desktop.get(), nullptr};
        return kest::loadOrScanIndex(context, {scanFolder.path()}, rescan, index, indexPath);
    }

    // The bad document of one kind, for the layout, around valid records.
    std::string badDocument(std::mt19937_64& random, int kind, const FileLayout& layout,
                            const std::vector<Record>& records, bool& valid, std::vector<Record>& expected);

    int attackIndexFile(std::uint64_t index, std::mt19937_64& random, int kind);
    int attackHistoryFile(std::uint64_t index, std::mt19937_64& random, int kind);
    void checkNoExternalFetch(std::uint64_t input, const std::wstring& loadedText);

    kest::ComInitialization com;
    kest::test::TemporaryFolder scanFolder;
    std::wstring folder, indexPath, historyPath, sentinel;
    std::atomic<bool> abort{false};
    kest::ComPtr<IShellLinkW> shellLink;
    kest::ComPtr<IShellFolder> desktop;
    ConnectionTrap trap;
};

constexpr int KindCount = 11;
const char* const KindNames[KindCount] = {"truncated",  "flipped bytes", "garbage",       "header",
                                          "deep nesting", "huge text",   "entity expansion", "external entity",
                                          "encoding",   "random valid",  "many entries"};

std::string FileAttack::badDocument(std::mt19937_64& random, int kind, const FileLayout& layout,
                                    const std::vector<Record>& records, bool& valid, std::vector<Record>& expected) {
    valid = false;
    expected.clear();
    const std::string base = utf8(documentText(layout, records));
    const std::wstring port = std::to_wstring(trap.port());
    DocumentParts parts;
    switch (kind) {
    case 0:
        return base.substr(0, static_cast<size_t>(pick(random, 0, base.size() - 1)));
    case 1: {
        std::string bytes = base;
        for (int flips = static_cast<int>(pick(random, 1, 8)); flips > 0; --flips)
            bytes[static_cast<size_t>(pick(random, 0, bytes.size() - 1))] = static_cast<char>(pick(random, 0, 255));
        return bytes;
    }
    case 2:
        return randomBytes(random, static_cast<size_t>(pick(random, 0, 4096)));
    case 3:
        switch (pick(random, 0, 8)) {
        case 0: parts.declaration.clear(); break;
        case 1: parts.declaration = L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"; break;
        case 2: parts.comment = L"<!--" + std::wstring(layout.comment).substr(0, wcslen(layout.comment) - 1) + L"-->"; break;
        case 3: parts.comment = L"<!--x--><!--" + std::wstring(layout.comment) + L"-->"; break;
        case 4: parts.rootOpen = L"<Root created=\"using DOM from MSXML 2.6\">"; parts.rootClose = L"</Root>"; break;
        case 5: parts.rootClose = L"</root><root/>"; break;
        case 6: return utf8(parts.declaration + L"<!--" + layout.comment + L"-->");
        case 7: parts.comment += L"<?other data?>"; break;
        default: parts.doctype = L"<!DOCTYPE root>\n"; break;
        }
        return utf8(documentText(layout, records, parts));
    case 4: {
        const size_t depth = static_cast<size_t>(pick(random, 100, 20000 * static_cast<std::uint64_t>(scale())));
        std::wstring nest;
        nest.reserve(depth * 7);
        for (size_t i = 0; i < depth; ++i) nest += L"<a>";
        if (chance(random, 70))
            for (size_t i = 0; i < depth; ++i) nest += L"</a>";
        parts.insideRoot = nest;
        return utf8(documentText(layout, records, parts));
    }
    case 5: {
        // Valid: one field of up to 1 MB (times the scale) of text.
        std::vector<Record> huge = records;
        const size_t length = static_cast<size_t>(pick(random, 65536, (1u << 20) * static_cast<std::uint64_t>(scale())));
        if (&layout == &IndexLayout) huge.back()[5] = fieldText(random, length);
        else huge.back()[0] = L"c:\\huge\\" + kest::asciiLower(fieldText(random, length));
        valid = true;
        expected = huge;
        return utf8(documentText(layout, huge, parts));
    }
    case 6: {
        std::wstring dtd = L"<!DOCTYPE root [\n<!ENTITY lol \"lol\">\n";
        if (chance(random, 50)) {
            for (int level = 1; level <= 9; ++level) {
                dtd += L"<!ENTITY lol" + std::to_wstring(level) + L" \"";
                for (int i = 0; i < 10; ++i) dtd += L"&lol" + (level == 1 ? std::wstring() : std::to_wstring(level - 1)) + L";";
                dtd += L"\">\n";
            }
            dtd += L"]>\n";
            parts.doctype = dtd;
            parts.insideRoot = L"<" + std::wstring(layout.entry) + L">&lol9;</" + layout.entry + L">";
        } else {  // one large entity referenced very often
            dtd += L"<!ENTITY big \"" + std::wstring(50000, L'x') + L"\">\n]>\n";
            parts.doctype = dtd;
            std::wstring references;
            for (int i = 0; i < 50000; ++i) references += L"&big;";
            parts.insideRoot = L"<" + std::wstring(layout.entry) + L">" + references + L"</" + layout.entry + L">";
        }
        return utf8(documentText(layout, records, parts));
    }
    case 7: {
        std::wstring sentinelUrl = L"file:///" + sentinel;
        for (wchar_t& c : sentinelUrl)
            if (c == L'\\') c = L'/';
        const std::wstring http = L"http://127.0.0.1:" + port + L"/";
        switch (pick(random, 0, 4)) {
        case 0: parts.doctype = L"<!DOCTYPE root SYSTEM \"" + http + L"root.dtd\">\n"; break;
        case 1: parts.doctype = L"<!DOCTYPE root [<!ENTITY x SYSTEM \"" + http + L"x.txt\">]>\n"; parts.insideRoot = L"<e>&x;</e>"; break;
        case 2: parts.doctype = L"<!DOCTYPE root [<!ENTITY x SYSTEM \"" + sentinelUrl + L"\">]>\n"; parts.insideRoot = L"<e>&x;</e>"; break;
        case 3: parts.doctype = L"<!DOCTYPE root [<!ENTITY x SYSTEM \"" + sentinel + L"\">]>\n"; parts.insideRoot = L"<e>&x;</e>"; break;
        default: parts.doctype = L"<!DOCTYPE root [<!ENTITY % p SYSTEM \"" + http + L"p.dtd\"> %p;]>\n"; break;
        }
        return utf8(documentText(layout, records, parts));
    }
    case 8: {
        const std::wstring text = documentText(layout, records);
        switch (pick(random, 0, 5)) {
        case 0: {  // UTF-16 declared, UTF-8 stored
            parts.declaration = L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n";
            return utf8(documentText(layout, records, parts));
        }
        case 1: {  // a UTF-16 byte-order mark before UTF-8 bytes
            return std::string("\xFF\xFE") + base;
        }
        case 2: {  // UTF-16 little-endian with its mark: a well-formed file in another encoding
            std::string bytes("\xFF\xFE");
            bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
            return bytes;
        }
        case 3: {  // invalid UTF-8 sequences inside a text
            std::string bytes = base;
            const size_t at = bytes.find("<path>");
            if (at != std::string::npos) bytes.insert(at + 6, "\xC3\x28\xA0\xA1\xF0\x28\x8C\xBC\xFE");
            return bytes;
        }
        case 4: {
            parts.declaration = L"<?xml version=\"1.0\" encoding=\"x-no-such-encoding\"?>\n";
            return utf8(documentText(layout, records, parts));
        }
        default: {  // a UTF-8 byte-order mark: valid, keeps its records
            valid = true;
            expected = records;
            return std::string("\xEF\xBB\xBF") + base;
        }
        }
    }
    default:
        return base;
    }
}

void FileAttack::checkNoExternalFetch(std::uint64_t input, const std::wstring& loadedText) {
    if (trap.connected()) reportWrong("input " + std::to_string(input) + ": the DOM connected to an external address");
    if (loadedText.find(L"SENTINELCONTENT") != std::wstring::npos)
        reportWrong("input " + std::to_string(input) + ": an external entity was read into a record");
}

std::wstring allText(const kest::ShortcutIndex& index) {
    std::wstring text;
    for (const auto& [key, entry] : index) text += entry.name + entry.path + entry.arguments + entry.executable;
    return text;
}

std::wstring allText(const kest::HistoryMap& history) {
    std::wstring text;
    for (const auto& [key, entry] : history.entries()) text += key;
    return text;
}

int FileAttack::attackIndexFile(std::uint64_t input, std::mt19937_64& random, int kind) {
    const std::vector<Record> history = historyRecords(random, 5);
    const std::string historyBytes = utf8(documentText(HistoryLayout, history));
    EXPECT_TRUE(writeBytes(historyPath, historyBytes));

    bool valid = false;
    std::vector<Record> expected;
    std::string bytes;
    if (kind == 10) {
        const size_t count = static_cast<size_t>(std::min<std::uint64_t>(20000ull * scale(), 1000000));
        expected = indexRecords(random, count);
        bytes = utf8(documentText(IndexLayout, expected));
        valid = true;
    } else if (kind == 9) {
        expected = indexRecords(random, static_cast<size_t>(pick(random, 1, 40)));
        bytes = utf8(documentText(IndexLayout, expected));
        valid = true;
    } else {
        bytes = badDocument(random, kind, IndexLayout, indexRecords(random, 4), valid, expected);
    }
    EXPECT_TRUE(writeBytes(indexPath, bytes));

    int lost = 0;
    kest::ShortcutIndex index;
    const kest::IndexLoadResult result = load(index);
    heartbeat();
    checkNoExternalFetch(input, allText(index));
    const std::string where = "index input " + std::to_string(input) + " (" + KindNames[kind] + ")";
    if (valid) {
        if (result != kest::IndexLoadResult::ReadFromFile) reportWrong(where + ": a valid index file was not read");
        lost += missingIndexRecords(expected, index);
    } else {
        switch (result) {
        case kest::IndexLoadResult::Scanned: {
            // The scan replaced the spoiled file with a complete one.
            if (index.size() != 2) reportWrong(where + ": the rescan did not index both shortcuts");
            kest::ShortcutIndex reread;
            if (load(reread) != kest::IndexLoadResult::ReadFromFile || reread != index)
                reportWrong(where + ": the file the rescan saved does not read back");
            break;
        }
        case kest::IndexLoadResult::Unusable:
        case kest::IndexLoadResult::Failed:
            if (!index.empty()) reportWrong(where + ": an unusable file left entries");
            if (readBytes(indexPath) != bytes) reportWrong(where + ": an unusable file was changed");
            break;
        case kest::IndexLoadResult::ReadFromFile:
            break;  // a spoiled file may still hold readable entries
        default:
            reportWrong(where + ": unexpected load result " + std::to_string(static_cast<int>(result)));
        }
    }
    // The history is not touched by anything the index did.
    if (readBytes(historyPath) != historyBytes) {
        reportWrong(where + ": the history file changed");
        ++lost;
    }
    kest::HistoryMap map;
    lost += missingHistoryRecords(history, map);
    return lost;
}

int FileAttack::attackHistoryFile(std::uint64_t input, std::mt19937_64& random, int kind) {
    const std::vector<Record> indexed = indexRecords(random, 5);
    const std::string indexBytes = utf8(documentText(IndexLayout, indexed));
    EXPECT_TRUE(writeBytes(indexPath, indexBytes));

    bool valid = false;
    std::vector<Record> expected;
    std::string bytes;
    if (kind == 10) {
        const size_t count = static_cast<size_t>(std::min<std::uint64_t>(20000ull * scale(), 1000000));
        expected = historyRecords(random, count);
        bytes = utf8(documentText(HistoryLayout, expected));
        valid = true;
    } else if (kind == 9) {
        expected = historyRecords(random, static_cast<size_t>(pick(random, 1, 40)));
        bytes = utf8(documentText(HistoryLayout, expected));
        valid = true;
    } else {
        bytes = badDocument(random, kind, HistoryLayout, historyRecords(random, 4), valid, expected);
    }
    EXPECT_TRUE(writeBytes(historyPath, bytes));

    int lost = 0;
    const std::string where = "history input " + std::to_string(input) + " (" + KindNames[kind] + ")";
    {
        kest::HistoryMap map;
        heartbeat();
        checkNoExternalFetch(input, allText(map));
        if (valid) lost += missingHistoryRecords(expected, map);
        if (readBytes(historyPath) != bytes) reportWrong(where + ": loading changed the history file");
        // A launch after a bad file is kept.
        if (kind != 10) {
            EXPECT_EQ(0, map.recordLaunch(L"C:\\Robust\\Launched.exe"));
            kest::HistoryMap reread;
            const kest::HistoryEntry* launched = reread.find(L"c:\\robust\\launched.exe");
            if (!launched || launched->count < 1) {
                reportWrong(where + ": a launch after the bad file was not saved");
                ++lost;
            }
            if (valid) lost += missingHistoryRecords(expected, reread);
        }
    }
    // The index is not touched by anything the history did.
    if (readBytes(indexPath) != indexBytes) {
        reportWrong(where + ": the index file changed");
        ++lost;
    }
    kest::ShortcutIndex index;
    if (load(index) != kest::IndexLoadResult::ReadFromFile) reportWrong(where + ": the valid index was not read");
    lost += missingIndexRecords(indexed, index);
    return lost;
}

TEST_F(FileAttack, Files) {
    const std::uint64_t total = 400ull * scale();
    runInputs(total, [&](std::uint64_t input) {
        std::mt19937_64 random = inputGenerator("files", input);
        // Every kind in turn, on both files; very many entries twice per 400 inputs.
        const bool many = input % 200 == 199;
        const int kind = many ? 10 : static_cast<int>(input % (KindCount - 1));
        const bool indexFile = many ? (input / 200) % 2 == 0 : (input / (KindCount - 1)) % 2 == 0;
        return indexFile ? attackIndexFile(input, random, kind) : attackHistoryFile(input, random, kind);
    });
}

TEST(Robustness, Files) {
    const Figures figures = runSurface("Files", 400ull * scale());
    EXPECT_EQ(0, figures.crashes);
    EXPECT_EQ(0, figures.hangs);
    EXPECT_EQ(0, figures.lost);
    EXPECT_EQ(0, figures.wrong);
    EXPECT_EQ(400ull * scale(), figures.inputs);
}

}  // namespace
}  // namespace robust
