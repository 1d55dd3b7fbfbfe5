// What the file questions and the started interpreter's state must answer on
// every platform, run on each platform's real services through the same
// platform hooks as the script-file cases.
#include <chrono>
#include <thread>

#include "extraction/source_encoding_check.h"
#include "tests/contract/script_file_contract.h"

namespace morvane::testing {
namespace {

using ServicesContract = ScriptFileContract;

TEST_F(ServicesContract, AHiddenFileIsSomethingAndARegularFileThoughTheQueryMissesIt) {
    const std::string hidden = platform->MakeHiddenFile();
    EXPECT_EQ(system.FindMatchingFile(hidden), std::nullopt);
    EXPECT_TRUE(system.SomethingExistsAt(hidden));
    EXPECT_EQ(system.RegularFileSize(hidden), 3u) << "x, CR, LF";
}

TEST_F(ServicesContract, AFolderIsSomethingButNoRegularFileAndNothingIsNeither) {
    const std::string folder = platform->ScratchPath("folder");
    ASSERT_TRUE(platform->MakeFolder(folder));
    EXPECT_TRUE(system.SomethingExistsAt(folder));
    EXPECT_FALSE(system.RegularFileSize(folder));
    for (const std::string& nothing : {platform->ScratchPath("absent.txt"), std::string()}) {
        EXPECT_FALSE(system.SomethingExistsAt(nothing)) << nothing;
        EXPECT_FALSE(system.RegularFileSize(nothing)) << nothing;
    }
}

TEST_F(ServicesContract, SameFileSeesThroughAnotherSpellingOnly) {
    const std::string file = platform->ScratchPath("a.txt");
    const std::string other = platform->ScratchPath("b.txt");
    WriteFile(file, "a\r\n");
    WriteFile(other, "a\r\n");
    EXPECT_TRUE(system.SameFile(file, platform->OtherSpelling("a.txt")));
    EXPECT_TRUE(system.SameFile(file, file));
    EXPECT_FALSE(system.SameFile(file, other)) << "same contents, another file";
    EXPECT_FALSE(system.SameFile(file, platform->ScratchPath("absent.txt")));
    EXPECT_FALSE(
        system.SameFile(platform->ScratchPath("absent.txt"), platform->ScratchPath("absent.txt")));
}

// Starts the interpreter on a script of `line` and answers its state once it
// is no longer running (at most twenty seconds later).
InterpreterState EndOfScript(ServicesPlatform& platform, const std::string& line) {
    SystemServices& system = platform.System();
    const std::string script = platform.ScratchPath("run.bat");
    WriteFile(script, line + "\r\n");
    std::string reason;
    EXPECT_TRUE(system.StartInterpreter(script, reason)) << reason;
    InterpreterState state = system.StartedInterpreterState();
    for (int i = 0; i < 400 && state == InterpreterState::Running; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        state = system.StartedInterpreterState();
    }
    return state;
}

// cmd.exe reads a source in its code page, so Start tells it a UTF-8 source
// (which it reads under 65001) and a UTF-16 one (which it cannot read); our
// stand-in reads every encoding by itself and is told nothing.
TEST_F(ServicesContract, StartTellsTheEncodingOnlyToAnInterpreterThatReadsByItsCodePage) {
    const bool byContent = system.InterpreterSourceReading().encodingFromContent;
    const auto reads = [&](const std::string& name, const std::string& bytes) {
        WriteFile(platform->ScratchPath(name), bytes);
        return HowTheLoopReads(system, platform->ScratchPath(name));
    };
    const LoopReading asEver = LoopReading::AsTheInterpreterReads;
    EXPECT_EQ(reads("utf8.csv", "a,张三\r\n"), byContent ? asEver : LoopReading::Utf8);
    EXPECT_EQ(reads("utf16.csv",
                    "\xFF\xFE"
                    "a"),
              byContent ? asEver : LoopReading::Utf16);
    EXPECT_EQ(reads("gbk.csv", "a,\xD5\xC5\r\n"), asEver);
}

TEST_F(ServicesContract, TheStartedInterpreterEndsNormallyOnlyWhenEveryLineRan) {
    EXPECT_EQ(system.StartedInterpreterState(), InterpreterState::NotStarted);
    const std::string echoed = platform->ScratchPath("echoed.txt");
    EXPECT_EQ(EndOfScript(*platform, "@echo x>>" + echoed), InterpreterState::EndedNormally);
    EXPECT_EQ(ReadFile(echoed), "x\r\n");
    EXPECT_EQ(EndOfScript(*platform, "nosuchcommand"), InterpreterState::EndedAbnormally);
}

}  // namespace
}  // namespace morvane::testing
