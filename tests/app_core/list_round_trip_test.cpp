// Every list file kind reads back what it writes: a file as a user or an
// older program may leave it (mixed line ends, quotes, blanks, repeated and
// oddly cased keys, stray lines) is read, written, read again and written
// again; both reads give the same data and both writes the same bytes.
#include <gtest/gtest.h>

#include <functional>

#include "app/core/app_defaults.h"
#include "app/core/free_shapes.h"
#include "app/core/grid_text_files.h"
#include "app/core/list_files.h"
#include "app/core/material_types.h"
#include "app/core/option_file.h"
#include "app/core/racks.h"
#include "engine/partedge.h"
#include "engine/shape_templates.h"
#include "engine/shared_state.h"
#include "support/scratch.h"

using testsupport::ReadText;
using testsupport::ScratchDir;
using testsupport::WriteText;

namespace {

// The lines of Text ended in turn by CR, CR LF and LF.
std::string MixedLineEnds(const std::string& text) {
    static const char* const ends[] = {"\r", "\r\n", "\n"};
    std::string out;
    int n = 0;
    for (char c : text) {
        if (c == '\n')
            out += ends[n++ % 3];
        else
            out += c;
    }
    return out;
}

std::string Cells(const TStringGrid& g) {
    std::string out;
    for (int r = 1; r < g.RowCount(); ++r) {
        for (const std::string& c : g.Row(r)) out += c + '\x1f';
        out += '\n';
    }
    return out;
}

struct Kind {
    const char* Name;
    std::string Seed;
    std::function<void(TMainData&, const std::string&)> Read;
    std::function<void(TMainData&, const std::string&)> Write;
    std::function<std::string(const TMainData&)> Data;
};

// A free-shape list as the program writes it, made from a template part.
std::string FreeShapeSeed(const ScratchDir& dir) {
    ResetAppDefaults();
    TMainData d;
    AddStandardProfilePart("T", " tri ", "Triangle2", "30", "1 1/2", "", "", "", "", 5, 2, "MDF");
    ShowAnyShapeList(d);
    SaveAnyShapeFile(d, dir.File("seed.apt"), false);
    return ReadText(dir.File("seed.apt"));
}

}  // namespace

TEST(ListFileRoundTrip, ReadWriteReadGivesTheSameDataAndBytes) {
    ScratchDir dir;
    testsupport::CaptureSink sink;
    TOptionPage page;
    TWindowOptions window;
    const auto optionBytes = [&](const TMainData&) {
        WriteOptionFileTo(dir.File("snapshot.opt"), page, window);
        return ReadText(dir.File("snapshot.opt"));
    };
    const std::vector<Kind> kinds = {
        {"sheet list",
         "[SHEET1]\nLABEL= \"  padded  \"\ntype=Plywood 18\nLENGTH=2440\nWIDTH=1220\nQTY=3\n"
         "COST='12'\nCOMMENT=a \"quoted\" word\nlabel=repeated\n[SHEET2]\nLABEL=S2\nLENGTH=1 "
         "1/2\nWIDTH=8\rQTY=1\nstray line\n; note\n[OTHER]\nX=1\n",
         [](TMainData& d, const std::string& f) { ReadSheetsFile(d, f); },
         [](TMainData& d, const std::string& f) { SaveSheetsFile(d, f, false); },
         [](const TMainData& d) { return Cells(d.StringGridSheets); }},
        {"part list",
         "[part1]\nLABEL=P'\nLENGTH= 300\nWIDTH=200 \nQTY=2\nMAXQTY=\nROTATE=x\nSHAPE=c\n"
         "BGTYPE=\"Band\"\nCOMMENT=\" \"\n[PART2]\nLABEL=Q\nrotate=n\n[PART4]\nLABEL=gap\n",
         [](TMainData& d, const std::string& f) { ReadPartsFile(d, f); },
         [](TMainData& d, const std::string& f) { SavePartsFile(d, f, false); },
         [](const TMainData& d) { return Cells(d.StringGridParts); }},
        {"offcut rack",
         "[HEAD]\nNUMBER=3\n[SLOT0]\nLABEL=R1\nPRIORITY=2\nCOST=1.5\nlength=900\n[SLOT2]\n"
         "COMMENT='kept'\n",
         [](TMainData& d, const std::string& f) { ReadOffcutRackFromFile(d, f); },
         [](TMainData& d, const std::string& f) {
             WriteOffcutRackToFile(d, f, d.StringGridOffcutRack.RowCount() - 1, false);
         },
         [](const TMainData& d) { return Cells(d.StringGridOffcutRack); }},
        {"part rack", "[HEAD]\nNUMBER=2\n[SLOT1]\nLABEL= P \nSHAPE=Circ\nCOMMENT=a=b\n",
         [](TMainData& d, const std::string& f) { ReadPartRackFromFile(d, f); },
         [](TMainData& d, const std::string& f) {
             WritePartRackToFile(d, f, d.StringGridPartRack.RowCount() - 1, false);
         },
         [](const TMainData& d) { return Cells(d.StringGridPartRack); }},
        {"material types",
         "[HEAD]\nNUMBER=3\n[TYPE0]\nSTRING= MDF \nCHECK=1\n[TYPE1]\nstring=\"  Oak\"\nCHECK=0\n",
         [](TMainData&, const std::string& f) { ReadTypeFile(f); },
         [](TMainData&, const std::string& f) { WriteTypeFile(f); },
         [](const TMainData&) {
             std::string out;
             for (const std::string& t : TypeList) out += t + (IsTypeChecked(t) ? "+\n" : "-\n");
             return out;
         }},
        {"edge types",
         "[EDGETYPECOUNT]\nCOUNT=3\n[EDGETYPE0]\nLABEL=Band\nGT=1 1/2\nBT=1\r/2\nbl=' 0.5 '\n"
         "[EDGETYPE2]\nLABEL=\"x\"\n",
         [](TMainData&, const std::string& f) { PartEdgeList.LoadFromIni(f); },
         [](TMainData&, const std::string& f) { PartEdgeList.SaveToIni(f); },
         [](const TMainData&) {
             std::string out;
             for (const PPartEdge& e : PartEdgeList.Items())
                 for (const std::string& t :
                      {e->Label, e->GTText, e->GBText, e->GLText, e->GRText, e->BTText, e->BBText,
                       e->BLText, e->BRText, std::to_string(e->GT + e->BT + e->BL)})
                     out += t + '\x1f';
             return out;
         }},
        {"options",
         "[LABEL_SCHEME_1]\nX=keep\n[OPTION]\nBLADE_WIDTH= 1/8 \nMEASURE=\"mm \"\nGUILLOTINE=7\n"
         "SHEETS_FILE='a b.sht'\nCOST_OPTIMIZE=F\nblade_width=9\n",
         [&](TMainData&, const std::string& f) {
             page = TOptionPage();
             window = TWindowOptions();
             ReadOptionFile(f, page, window);
         },
         [&](TMainData&, const std::string& f) { WriteOptionFileTo(f, page, window); },
         optionBytes},
        {"free shapes", FreeShapeSeed(dir),
         [](TMainData& d, const std::string& f) { ReadAnyShapeFile(d, f); },
         [](TMainData& d, const std::string& f) { SaveAnyShapeFile(d, f, false); },
         [](const TMainData& d) { return Cells(d.StringGridAnyShape); }},
        {"sheets as TAB text",
         "Label\tType\tLength\n\nA\tMDF\t10\t20\t1\t\t\t\t\t\tmore\nB\t\t5\n\t\t\n\n",
         [](TMainData& d, const std::string& f) { ReadSheetsTXTFile(d, f); },
         [](TMainData& d, const std::string& f) { WriteSheetsTxtFile(d, f, false); },
         [](const TMainData& d) { return Cells(d.StringGridSheets); }},
        {"parts as TAB text", "P1\tMDF\t300\t200\tR\t4\t6\tR\t\tx\n\nQ\t\t1 1/2\t8\tN\t1\n",
         [](TMainData& d, const std::string& f) { ReadPartsTXTFile(d, f); },
         [](TMainData& d, const std::string& f) { WritePartsTxtFile(d, f, false); },
         [](const TMainData& d) { return Cells(d.StringGridParts); }},
    };
    for (const Kind& kind : kinds) {
        SCOPED_TRACE(kind.Name);
        const std::string seed = dir.File("seed"), first = dir.File("first"),
                          second = dir.File("second");
        WriteText(seed, MixedLineEnds(kind.Seed));
        std::string data[2];
        for (int pass = 0; pass < 2; ++pass) {
            ResetAppDefaults();
            TMainData d;
            kind.Read(d, pass == 0 ? seed : first);
            data[pass] = kind.Data(d);
            kind.Write(d, pass == 0 ? first : second);
        }
        EXPECT_EQ(data[0], data[1]);
        EXPECT_EQ(ReadText(first), ReadText(second));
        EXPECT_FALSE(ReadText(first).empty());
    }
    EXPECT_TRUE(sink.Warnings.empty()) << ::testing::PrintToString(sink.Warnings);
}
