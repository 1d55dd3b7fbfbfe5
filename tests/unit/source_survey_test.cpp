// The survey of a source on the recording fake, which hands the source out a
// byte at a time, so that every line and character is cut between pieces:
// what each interpreter's reading makes of the sources of the survey's table.
#include <gtest/gtest.h>

#include "extraction/source_survey.h"
#include "tests/support/fake_runtime.h"
#include "tests/support/survey_table.h"

namespace morvane {
namespace {

using testing::Reader;
using testing::SurveyRow;

TEST(SourceSurvey, CountsWhatTheInterpreterMakesOfEachSource) {
    for (const SurveyRow& row : testing::kSurveyRows) {
        SCOPED_TRACE(row.what);
        const ExtractionRequest request{"/data/source.txt", "/data/out.txt",
                                        row.delimiter,      static_cast<std::int16_t>(row.field),
                                        kTokensClause,      kDelimsClause,
                                        kInClause,          kEchoClause};
        testing::FakeRuntime system;
        system.fileContents[request.sourcePath] = row.source;
        if (row.reader != Reader::StandIn) system.sourceReading = {};
        for (unsigned char lead = 0x81; lead < 0xFF && row.reader == Reader::CodePage936; ++lead)
            system.sourceReading.leadBytes[lead] = true;
        EXPECT_EQ(SurveySource(system, request), row.expected);
    }
}

}  // namespace
}  // namespace morvane
