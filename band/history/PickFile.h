#pragma once
// The learned picks: which item the user started for a typed text, kept in
// "pickmapdata.xml" beside the launch history. One element per typed text, its latest pick:
//   <?xml version="1.0"?>
//   <!--Kestrune Learned Picks XML file.-->
//   <picks>
//   	<pick text="vl" time="133..." executable="C:\...\vlc.exe" arguments="" name="VLC media player.lnk"/>
//   </picks>
// text is the typed text folded (see pickKey), time the pick's FILETIME as a decimal number.
#include <cstdint>
#include <map>
#include <string>

namespace kest {

struct LearnedPick {
    std::wstring executable;
    std::wstring arguments;
    std::wstring name;
    std::uint64_t time = 0;  // FILETIME of the pick

    bool operator==(const LearnedPick& other) const {
        return executable == other.executable && arguments == other.arguments && name == other.name &&
               time == other.time;
    }
};

// By typed text (folded).
using LearnedPicks = std::map<std::wstring, LearnedPick>;

namespace PickFileText {
constexpr const wchar_t* FolderAndName = L"Brindlewood\\Kestrune\\pickmapdata.xml";
constexpr std::size_t MostTexts = 1000;
}  // namespace PickFileText

// The user's application-data folder, then "Brindlewood\Kestrune\pickmapdata.xml".
std::wstring pickFilePath();

enum class PickFileState { Missing, Valid, Unusable };
// Reads the picks at path into picks (emptied first). A damaged or foreign file reads as
// Unusable with no picks. Needs COM on the calling thread.
PickFileState readPickFile(const std::wstring& path, LearnedPicks& picks);
// Writes picks to path by atomic replace; true when the file now holds them.
bool writePickFile(const std::wstring& path, const LearnedPicks& picks);

// Adds the picks of from to into: per text the later pick stays. Then drops the oldest
// texts beyond PickFileText::MostTexts.
void mergePicks(LearnedPicks& into, const LearnedPicks& from);

// The picks file as the bands share it (see SharedBandFile).
struct PickFile {
    struct Pick {
        std::wstring text;  // folded
        LearnedPick pick;
    };
    using Content = LearnedPicks;
    using Change = Pick;
    // Held while a band reads, changes and writes the picks file.
    static constexpr const wchar_t* MutexName = L"Local\\Brindlewood.Kestrune.PickFile";
    // The file's picks in place of picks; picks stay when the file is missing or unusable
    // (a damaged or foreign file is then replaced at the next save). Needs COM.
    static void read(LearnedPicks& picks);
    static bool write(const LearnedPicks& picks) { return writePickFile(pickFilePath(), picks); }
    static void apply(LearnedPicks& picks, const Pick& change) { mergePicks(picks, LearnedPicks{{change.text, change.pick}}); }
};

}  // namespace kest
