// Times the survey the program makes of a source after a run: reads FILE as
// the command interpreter of this platform does for the line with DELIMITER
// and FIELD, ROUNDS times, and prints the counts and each round's seconds;
// and before it, each round, the reading of the source's encoding that
// Start makes on Windows (on Linux it reads nothing).
//
//   survey_bench FILE DELIMITER FIELD [ROUNDS]
//
// FILE and DELIMITER as the command line gives them: UTF-8 on Linux; in the
// ANSI code page on Windows, so there only ASCII is taken as it is meant.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "extraction/source_encoding_check.h"
#include "extraction/source_survey.h"
#ifdef _WIN32
#include "platform/win32/win32_system.h"
using PlatformSystem = morvane::win32::Win32System;
#else
#include "platform/posix/posix_system.h"
using PlatformSystem = morvane::posix::PosixSystem;
#endif

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: survey_bench FILE DELIMITER FIELD [ROUNDS]\n");
        return 2;
    }
    morvane::ExtractionRequest request;
    request.sourcePath = argv[1];
    request.delimiter = argv[2];
    request.fieldNumber = static_cast<std::int16_t>(std::atoi(argv[3]));
    const int rounds = argc > 4 ? std::atoi(argv[4]) : 1;
    PlatformSystem system;
    for (int round = 0; round < rounds; ++round) {
        const auto startBegun = std::chrono::steady_clock::now();
        const morvane::LoopReading reading = morvane::HowTheLoopReads(system, request.sourcePath);
        const std::chrono::duration<double> start = std::chrono::steady_clock::now() - startBegun;
        request.loopInUtf8 = reading == morvane::LoopReading::Utf8;
        const auto begun = std::chrono::steady_clock::now();
        const std::optional<morvane::SourceSurvey> survey = morvane::SurveySource(system, request);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - begun;
        if (!survey) {
            std::fprintf(stderr, "the source cannot be surveyed\n");
            return 1;
        }
        std::printf("%.4f s  lines %llu, blank %llu, without field %llu, empty field before %llu\n",
                    took.count(), static_cast<unsigned long long>(survey->lines),
                    static_cast<unsigned long long>(survey->blankLines),
                    static_cast<unsigned long long>(survey->linesWithoutField),
                    static_cast<unsigned long long>(survey->linesWithEmptyFieldBefore));
        std::printf("%.4f s  encoding at Start: %s\n", start.count(),
                    reading == morvane::LoopReading::Utf8    ? "UTF-8"
                    : reading == morvane::LoopReading::Utf16 ? "UTF-16"
                                                             : "as the interpreter reads");
    }
    return 0;
}
