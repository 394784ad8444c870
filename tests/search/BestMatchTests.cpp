#include "search/BestMatch.h"
#include <gtest/gtest.h>

using namespace kest;

namespace {

TEST(BestMatchTest, FoldsCaseAccentsAndTheLettersDecompositionLeaves) {
    const struct {
        const wchar_t* text;
        const wchar_t* folded;
    } cases[] = {
        {L"C\u00e2mera", L"camera"},          {L"Ca\u0302mera", L"camera"},   {L"\u00b5Torrent", L"utorrent"},
        {L"\u03bcTorrent", L"utorrent"},      {L"\u00c6r\u00f8", L"aero"},    {L"Stra\u00dfe", L"strasse"},
        {L"\u0141\u00f3d\u017a", L"lodz"},    {L"\u0152uvre", L"oeuvre"},     {L"\u0110akovo", L"dakovo"},
        {L"\u00d8STFOLD", L"ostfold"},        {L"Notepad++", L"notepad++"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.folded, foldText(c.text)) << c.text;
}

TEST(BestMatchTest, SplitsTermsAtBlanksAndAtPunctuationStandingAlone) {
    using Terms = std::vector<std::wstring>;
    EXPECT_EQ((Terms{L"Windows", L"PowerShell"}), splitTerms(L" Windows  - PowerShell "));
    EXPECT_EQ((Terms{L"notepad++", L"x."}), splitTerms(L"notepad++ ++ x."));
    EXPECT_EQ(Terms{}, splitTerms(L" - "));
    EXPECT_EQ(L"windows - powershell", pickKey(L"  Windows   -  PowerShell "));
}

TEST(BestMatchTest, ProgramFileNameOnlyOfFileSystemPaths) {
    EXPECT_EQ(L"pwsh", programFileName(L"C:\\Program Files\\PowerShell\\7\\pwsh.exe"));
    EXPECT_EQ(L"tool", programFileName(L"\\\\server\\share\\tool.exe"));
    EXPECT_EQ(L"", programFileName(L"shell:AppsFolder\\Microsoft.WindowsCalculator_8wekyb3d8bbwe!App"));
    EXPECT_EQ(L"", programFileName(L"https://example.com/app.exe"));
}

TEST(BestMatchTest, KindOfEachTextAndName) {
    const struct {
        const wchar_t* text;
        const wchar_t* name;
        const wchar_t* executable;
        MatchKind kind;
    } cases[] = {
        {L"firefox", L"Firefox", L"C:\\Mozilla\\firefox.exe", MatchKind::Exact},
        {L"visual   studio code", L"Visual Studio Code", L"C:\\VS\\Code.exe", MatchKind::Exact},
        {L"regedit", L"Registry Editor", L"C:\\Windows\\regedit.exe", MatchKind::Exact},
        {L"pwsh", L"PowerShell 7 (x64)", L"C:\\Program Files\\PowerShell\\7\\pwsh.exe", MatchKind::Exact},
        {L"utorrent", L"\u00b5Torrent", L"C:\\uT\\uTorrent.exe", MatchKind::Exact},
        {L"camera", L"C\u00e2mera", L"shell:AppsFolder\\Camera!App", MatchKind::Exact},
        {L"code", L"Visual Studio Code", L"C:\\VS\\vscode.exe", MatchKind::WordStart},
        {L"PowerShell Windows", L"Windows PowerShell", L"C:\\ps\\powershell.exe", MatchKind::WordStart},
        {L"point", L"PowerPoint", L"C:\\Office\\POWERPNT.EXE", MatchKind::WordStart},
        {L"pass", L"1Password", L"C:\\1P\\1Password.exe", MatchKind::WordStart},
        {L"2", L"CS2", L"C:\\Steam\\cs2.exe", MatchKind::WordStart},
        {L"msts", L"Remote Desktop Connection", L"C:\\Windows\\mstsc.exe", MatchKind::WordStart},
        {L"vscode", L"Visual Studio Code", L"C:\\VS\\Code.exe", MatchKind::Initials},
        {L"vs code", L"Visual Studio Code", L"C:\\VS\\Code.exe", MatchKind::Initials},
        {L"lgs", L"Logitech Gaming Software", L"C:\\Logi\\LCore.exe", MatchKind::Initials},
        {L"gta", L"Grand Theft Auto V", L"steam://rungameid/271590", MatchKind::Initials},
        {L"gta", L"Grand Theft Auto V", L"C:\\Games\\GTA5.exe", MatchKind::WordStart},
        {L"cpuz", L"CPU-Z", L"C:\\CPUID\\cpuz_x64.exe", MatchKind::WordStart},
        {L"cpuz", L"CPU-Z", L"shell:AppsFolder\\cpuz", MatchKind::Initials},
        {L"vs2019", L"Visual Studio 2019", L"C:\\VS\\devenv.exe", MatchKind::Initials},
        {L"procex", L"Process Explorer", L"C:\\Tools\\procexp64.exe", MatchKind::WordStart},
        {L"procex", L"Process Explorer", L"https://example.com/procexp", MatchKind::Initials},
        {L"shop", L"Photoshop", L"C:\\Adobe\\ps.exe", MatchKind::InsideWord},
        {L"ttxt", L"todo.txt", L"C:\\Notes\\todo.txt", MatchKind::Initials},
        {L"tdtx", L"todo.txt", L"C:\\Notes\\todo.txt", MatchKind::Scattered},
        {L"fierfox", L"Firefox", L"C:\\Mozilla\\firefox.exe", MatchKind::OneTypo},
        {L"chrmoe", L"Google Chrome", L"C:\\Google\\chrome.exe", MatchKind::OneTypo},
        {L"chrme", L"Google Chrome", L"C:\\Google\\chrome.exe", MatchKind::Scattered},
        {L"smzpe", L"Skype", L"C:\\Skype\\Skype.exe", MatchKind::None},
        {L"fox", L"Firefox", L"https://example.com", MatchKind::InsideWord},
        {L"xyz", L"Firefox", L"C:\\Mozilla\\firefox.exe", MatchKind::None},
        {L"fxo", L"Firefox", L"C:\\Mozilla\\firefox.exe", MatchKind::None},
    };
    for (const auto& c : cases) {
        const BestMatchScore score =
            scoreBestMatch(prepareBestMatchText(c.text), prepareBestMatchItem(c.name, c.executable));
        EXPECT_EQ(static_cast<int>(c.kind), static_cast<int>(score.kind)) << c.text << L" / " << c.name;
    }
}

std::vector<std::wstring> ranked(const std::vector<BestMatchCandidate>& candidates, const std::wstring& text,
                                 const std::vector<std::pair<std::wstring, std::size_t>>& picks = {}) {
    std::vector<std::wstring> names;
    for (std::size_t position : rankBestMatches(candidates, text, picks)) names.push_back(candidates[position].name);
    return names;
}

TEST(BestMatchTest, OrdersTheReportedCasesAsTheUserMeantThem) {
    const std::vector<BestMatchCandidate> menu = {
        {L"Internet Explorer", L"C:\\IE\\iexplore.exe"},
        {L"Character Map", L"C:\\Windows\\charmap.exe"},
        {L"Terminal", L"shell:AppsFolder\\Microsoft.WindowsTerminal!App"},
        {L"Paint", L"C:\\Windows\\mspaint.exe"},
        {L"IntelliJ IDEA", L"C:\\JetBrains\\idea64.exe"},
        {L"Steam", L"C:\\Steam\\steam.exe"},
        {L"Microsoft Teams", L"C:\\Teams\\ms-teams.exe"},
        {L"VLC media player - reset preferences and cache files", L"C:\\VideoLAN\\vlc.exe"},
        {L"VLC media player", L"C:\\VideoLAN\\vlc.exe"},
        {L"Obsidian", L"C:\\Obsidian\\Obsidian.exe"},
        {L"OBS Studio", L"C:\\obs-studio\\obs64.exe"},
        {L"Skype", L"C:\\Skype\\Skype.exe"},
        {L"todo.txt", L"C:\\Notes\\todo.txt"},
    };
    const auto ter = ranked(menu, L"ter");
    ASSERT_GE(ter.size(), 3u);
    EXPECT_EQ((std::vector<std::wstring>{L"Terminal", L"Internet Explorer", L"Character Map"}),
              std::vector<std::wstring>(ter.begin(), ter.begin() + 3));
    EXPECT_EQ(L"IntelliJ IDEA", ranked(menu, L"int").at(0));
    EXPECT_EQ(L"Microsoft Teams", ranked(menu, L"team").at(0));
    EXPECT_EQ((std::vector<std::wstring>{L"VLC media player", L"VLC media player - reset preferences and cache files"}),
              ranked(menu, L"vl"));
    EXPECT_EQ((std::vector<std::wstring>{L"OBS Studio", L"Obsidian"}), ranked(menu, L"obs"));
    EXPECT_TRUE(ranked(menu, L"smzpe").empty());
    EXPECT_EQ(L"todo.txt", ranked(menu, L"ttxt").at(0));
}

TEST(BestMatchTest, UseOrdersWithinAKindButNeverAcrossKinds) {
    std::vector<BestMatchItem> items = {prepareBestMatchItem(L"Paint", L"C:\\W\\mspaint.exe"),
                                        prepareBestMatchItem(L"IntelliJ IDEA", L"C:\\J\\idea64.exe"),
                                        prepareBestMatchItem(L"Notepad", L"C:\\W\\notepad.exe"),
                                        prepareBestMatchItem(L"Notepad++", L"C:\\N\\notepad++.exe")};
    BestMatchRanking ranking;
    rankBestMatchItems(items, prepareBestMatchText(L"int"), {launchUse(100, 0), 0, 0, 0}, 50, ranking);
    EXPECT_EQ((std::vector<std::uint32_t>{1, 0}), ranking.positions);
    rankBestMatchItems(items, prepareBestMatchText(L"note"), {}, 50, ranking);
    EXPECT_EQ((std::vector<std::uint32_t>{2, 3}), ranking.positions);
    // Three launches a month ago weigh more than one today, and less than two today.
    rankBestMatchItems(items, prepareBestMatchText(L"note"), {0, 0, launchUse(1, 0), launchUse(3, 30)}, 50, ranking);
    EXPECT_EQ((std::vector<std::uint32_t>{3, 2}), ranking.positions);
    rankBestMatchItems(items, prepareBestMatchText(L"note"), {0, 0, launchUse(2, 0), launchUse(3, 30)}, 50, ranking);
    EXPECT_EQ((std::vector<std::uint32_t>{2, 3}), ranking.positions);
}

TEST(BestMatchTest, LearnedPicksAndWhatMayBePreselected) {
    const std::vector<BestMatchCandidate> menu = {{L"FileZilla", L"C:\\FZ\\filezilla.exe"},
                                                  {L"Firefox", L"C:\\Mozilla\\firefox.exe"},
                                                  {L"Fiddler", L"C:\\Fiddler\\Fiddler.exe"}};
    EXPECT_EQ(L"Fiddler", ranked(menu, L"fi").at(0));
    // The exact text's latest pick; a shorter text's pick while it still matches well.
    EXPECT_EQ(L"Firefox", ranked(menu, L"fi", {{L"fi", 0}, {L"FI", 1}}).at(0));
    EXPECT_EQ(L"FileZilla", ranked(menu, L"fil", {{L"f", 1}, {L"fi", 0}}).at(0));
    EXPECT_EQ(L"Firefox", ranked(menu, L"fire", {{L"f", 1}, {L"fi", 0}}).at(0));
    EXPECT_EQ(L"Firefox", ranked(menu, L"fir", {{L"fi", 0}}).at(0));  // FileZilla only scattered for "fir"

    std::vector<BestMatchItem> items;
    for (const auto& candidate : menu) items.push_back(prepareBestMatchItem(candidate.name, candidate.executable));
    BestMatchRanking ranking;
    rankBestMatchItems(items, prepareBestMatchText(L"fi zilla"), {}, 50, ranking);
    EXPECT_TRUE(mayPreselectFirst(prepareBestMatchText(L"fi zilla"), ranking));
    rankBestMatchItems(items, prepareBestMatchText(L"fdr fler"), {}, 50, ranking);
    ASSERT_FALSE(ranking.positions.empty());
    EXPECT_FALSE(mayPreselectFirst(prepareBestMatchText(L"fdr fler"), ranking));
    rankBestMatchItems(items, prepareBestMatchText(L"fdr"), {}, 50, ranking);
    EXPECT_TRUE(mayPreselectFirst(prepareBestMatchText(L"fdr"), ranking));
    EXPECT_TRUE(mayBeTypedProgram(prepareBestMatchText(L"fdr"), ranking));
    rankBestMatchItems(items, prepareBestMatchText(L"fid"), {}, 50, ranking);
    EXPECT_FALSE(mayBeTypedProgram(prepareBestMatchText(L"fid"), ranking));
}

}  // namespace
