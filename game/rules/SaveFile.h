// The game's save file: one XML document with the statistics, best scores,
// streaks, unlocks, challenge records, wave repetition counts and the
// snapshot of a game in progress. Read once at start-up into the statistics
// store, written whole from a store by every save. Main thread only.
#pragma once

#include <cstddef>
#include <cstdint>

class TiXmlDocument;
class TiXmlElement;
class TiXmlNode;

namespace Varnok {

class GameStats;

class SaveFile {
public:
    static constexpr const char* kFileName = "ZivovaFelisSave.xml";
    static constexpr int kPathBytes = 512;
    // The version text of this build, until start-up sets the application's.
    static constexpr const char* kDefaultVersionText = "1.0.4";
    static constexpr int32_t kNoVersionNumber = 10000;

    // "C:\<name>": this platform offers no save folder, so the name is written
    // without a file-system key and the save container takes it. False (and
    // an empty buffer) when it does not fit in size bytes.
    static bool GetPath(char* buffer, const char* name, size_t size);
    // The save file's path, built once.
    static const char* Path();

    // Reads the save file into a store at start-up (see the Load steps in the
    // source). A file that does not parse is kept under Path() + ".bad" with
    // one log line, and the store keeps its defaults.
    static void Load(GameStats& stats);
    // Applies one node and, as each element's rule says, its descendants.
    static void Read(const TiXmlNode* node, GameStats& stats);
    // Writes the whole file from a store. False (logged) when it could not be
    // written; the previous file is then left as it was.
    [[nodiscard]] static bool Write(GameStats& stats);
    // The document Write saves, without saving it.
    static void BuildDocument(const GameStats& stats, TiXmlDocument& document);

    // "1.0.4" is 10040, "1.2.15" 12015, "1.1" 11000; null gives 10000.
    static int32_t VersionNumber(const char* text);
    // The running program's version number and text: the application's,
    // once start-up sets it, else kDefaultVersionText.
    static int32_t ProgramVersionNumber();
    static const char* ProgramVersionText();
    // Null or empty gives kDefaultVersionText.
    static void SetProgramVersion(const char* text);

    static void ReadWaveInfo(const TiXmlElement& element, GameStats& stats);
    // queued 1 fills the unlock queue, 0 the unlocks already shown.
    static void ReadAchievements(const TiXmlElement& element, GameStats& stats, int queued);
    static void ReadChallengeData(const TiXmlElement& element, GameStats& stats);
    static void ReadChallengeGroups(const TiXmlElement& element, GameStats& stats);
    static void WriteChallengeData(const GameStats& stats, TiXmlElement& parent);
    static void WriteChallengeGroups(const GameStats& stats, TiXmlElement& parent);
};

}  // namespace Varnok
