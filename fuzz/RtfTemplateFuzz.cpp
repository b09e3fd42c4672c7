// An RTF template (the administrator edits them): any bytes must fill with
// a fixed record, twice with a page break between and once up to a marker,
// or fail with RTFError / a refused BeginDocument.
#include "FuzzSupport.h"

#include "documents/RtfError.h"
#include "documents/RtfTemplate.h"

namespace {

// The record: the tags of the decision and form templates, one holding the
// characters the filler escapes and one naming another tag.
const std::pair<const char*, const char*> kRecord[] = {
    {"[NUME]", "POPESCU ION"},          {"[CNP]", "1800101123456"},
    {"[ADRESA]", "STR. {LUNGA} NR.1\\2"}, {"[NR_DISP]", "[NUME]"},
    {"[TOTAL]", "250,00"},              {"[DATA]", "01.10.2022"},
    {"[LOCALITATE]", "Şimleu Ţării"},   {"[NRCRT]", ""},
};

void fill(documents::RtfTemplate& rtf)
{
    rtf.ClearTags();
    for (const auto& [tag, value] : kRecord)
        rtf.AddTag(QString::fromUtf8(tag), QString::fromUtf8(value));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const QString folder = fuzz::freshFolder(QStringLiteral("rtf"));
    const QString source = folder + "/Model.rtf";
    fuzz::writeFile(source, fuzz::bytesOf(data, size));
    documents::RtfTemplate rtf;
    rtf.setRTFSursa(source);
    rtf.setRTFDest(folder + "/Document.rtf");
    try {
        if (rtf.BeginDocument()) {
            fill(rtf);
            rtf.AppendBody(2);
            rtf.AppendPageBreak();
            fill(rtf);
            rtf.AppendBodyToMarker(QStringLiteral("[SFARSIT]"));
            rtf.EndDocument();
        }
    } catch (const documents::RTFError&) {
    }
    QFile::remove(folder + "/Document.rtf");
    return 0;
}
