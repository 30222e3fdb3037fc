// A small finished plan built by hand, as an optimisation run leaves it, for
// the tests of the plan outputs (reports, cut lists, G-code, DXF).
//
// Blade width 2, trims 1 (WidthEdge) and 0.5 (LengthEdge), minimum scrap
// 10 x 10. Stock: sheets S1 (MDF 100 x 50, 5 of them), S2 (PLY 80 x 60, 3),
// S3 (MDF, unused) and the rack offcut R7 (MDF 40 x 30). Parts: P (PLY), B
// (edge type, 1 more on each end), A, the circle b, the shaped part T1 (a
// triangle 20 x 20) and Z (unused).
// Layout 1: S1 twice with A, A, B, b, T1 and four offcuts; layout 2: S2 once
// with P, P and two offcuts; layout 3: R7 once with one A turned and one
// offcut. Sizes of counts and placements include the blade width; their
// texts are the net sizes, as the run gives them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/extpolyline.h"
#include "engine/optimize2d.h"
#include "engine/packet.h"
#include "engine/partedge.h"
#include "engine/pubfunc.h"
#include "engine/pubstr.h"
#include "engine/shared_state.h"
#include "engine/trapezium.h"
#include "output/report_text.h"
#include "support/scratch.h"

namespace sample_plan {

inline constexpr std::int32_t kBlade = 2000;

inline T2DStock Stock(const std::string& Label, const std::string& Material, std::int32_t Length,
                      std::int32_t Width, std::int32_t Quantity) {
    T2DStock s;
    s.Label = Label;
    s.Material = Material;
    s.Length = Length;
    s.Width = Width;
    s.LengthText = PubFunc.UnitsToStr(Length);
    s.WidthText = PubFunc.UnitsToStr(Width);
    s.Quantity = Quantity;
    return s;
}

inline void AddTriangleShape() {
    TExtPolyline o;
    o.AddSegment(psLine, {0, 0}, {0, 20000}, {}, 0, 0.0, 0.0, 0, "0");
    o.AddSegment(psLine, {0, 20000}, {20000, 20000}, {}, 0, 0.0, 0.0, 0, "0");
    o.AddSegment(psLine, {20000, 20000}, {0, 0}, {}, 0, 0.0, 0.0, 0, "0");
    TTrapezium t;
    t.Setup(false, "T1", 0, o, 20000, 0, 0, 0, 20000, 20000);
    TrapeziumList.AddOrUpdate(t);
}

// A placed piece of part Part (sizes with the blade) at (X, Y).
inline T2DStock Place(const T2DStock& Part, std::int32_t X, std::int32_t Y, bool Turned = false) {
    T2DStock p = T2DStock::CreateCopy(Part);
    p.Quantity = 1;
    p.Position = {X, Y};
    if (Turned) p.Rotate();
    p.LengthText = PubFunc.UnitsToStr(p.NetLength());
    p.WidthText = PubFunc.UnitsToStr(p.NetWidth());
    return p;
}

inline T2DStock Offcut(const std::string& Label, std::int32_t X, std::int32_t Y, std::int32_t L,
                       std::int32_t W) {
    T2DStock o;
    o.Label = Label;
    o.Position = {X, Y};
    o.Length = L;
    o.Width = W;
    o.Quantity = 1;
    o.Index = 0;
    return o;
}

// A layout on stock entry Sheet (sizes without the blade).
inline TPacket Layout(const T2DStock& Sheet, const TPanels& RunParts, std::int32_t Quantity) {
    TPacket p = TPacket::CreateFromParts(RunParts);
    p.T2DStock::Assign(Sheet);
    p.Length = Sheet.Length + kBlade;
    p.Width = Sheet.Width + kBlade;
    p.Quantity = Quantity;
    p.ResetSpaces();
    return p;
}

// Fills the optimiser, the plan and the settings. Returns nothing; every
// output test reads the shared state.
inline void Build() {
    BladeWidth = kBlade;
    BladeWidthText = "2";
    WidthEdge = 1000;
    WidthEdgeText = "1";
    LengthEdge = 500;
    LengthEdgeText = "0.5";
    MinScrapLength = 10000;
    MinScrapWidth = 10000;
    CostOptimize = true;
    OptimizeNotes = {"note one"};
    AddTriangleShape();

    Optimizer.Clear();
    T2DStock s1 = Stock("S1", "MDF", 100000, 50000, 5);
    s1.Cost = 40000;
    s1.Comment = "oak";
    s1.SourceKind = srcSheet;
    T2DStock s2 = Stock("S2", "PLY", 80000, 60000, 3);
    s2.Cost = 30500;
    s2.Priority = 2;
    s2.SourceKind = srcSheet;
    T2DStock s3 = Stock("S3", "MDF", 120000, 60000, 1);
    s3.Cost = 50000;
    s3.Priority = 1;
    s3.SourceKind = srcSheet;
    T2DStock r7 = Stock("R7", "MDF", 40000, 30000, 1);
    r7.Cost = 5000;
    r7.Comment = "rack 7";
    r7.SourceKind = srcOffcut;
    for (T2DStock* s : {&s1, &s2, &s3, &r7}) {
        s->Index = Optimizer.Panels.Count();
        Optimizer.Panels.AddCopy(*s);
    }

    auto edge = std::make_shared<TPartEdge>();
    edge->Label = "ends";
    edge->GL = 1000;
    edge->GR = 1000;

    T2DStock P = Stock("P", "PLY", 70000, 25000, 2);
    P.CanRotate = false;
    P.Comment = "shelf";
    T2DStock B = Stock("B", "MDF", 40000, 25000, 2);
    B.Edge = edge;
    B.Comment = "edged";
    T2DStock A = Stock("A", "MDF", 30000, 20000, 6);
    A.Comment = "door";
    T2DStock b = Stock("b", "MDF", 20000, 20000, 2);
    b.ShapeKind = skCircle;
    T2DStock T1 = Stock("T1", "MDF", 20000, 20000, 2);
    T1.ShapeKind = skShaped;
    T1.CanRotate = false;
    T1.Comment = "tri";
    T2DStock Z = Stock("Z", "MDF", 10000, 10000, 3);
    const std::int32_t required[] = {2, 2, 4, 1, 2, 0};
    int k = 0;
    for (T2DStock* p : {&P, &B, &A, &b, &T1, &Z}) {
        p->SourceKind = srcPart;
        p->Index = Optimizer.Parts.Count();
        Optimizer.AddPartStock(*p, required[k++]);
    }

    // The parts as the run packs them: blade width and edge allowances added,
    // texts of the net sizes.
    TPanels run(Optimizer.Parts);
    for (T2DStock& p : run) {
        p.Length += kBlade;
        p.Width += kBlade;
        if (p.Edge) p.Length += p.Edge->GL + p.Edge->GR;
        p.LengthText = PubFunc.UnitsToStr(p.NetLength());
        p.WidthText = PubFunc.UnitsToStr(p.NetWidth());
    }
    const T2DStock& rP = run[0];
    const T2DStock& rB = run[1];
    const T2DStock& rA = run[2];
    const T2DStock& rb = run[3];
    const T2DStock& rT = run[4];

    TPacket l1 = Layout(s1, run, 2);
    l1.AddPlacement(Place(rA, 0, 0));
    l1.AddPlacement(Place(rA, 32000, 0));
    l1.AddPlacement(Place(rB, 0, 22000));
    l1.AddPlacement(Place(rb, 64000, 0));
    l1.AddPlacement(Place(rT, 44000, 22000));
    l1.AddPlacementNoCount(Offcut("OFFCUT_1", 86000, 0, 16000, 52000));
    l1.AddPlacementNoCount(Offcut("OFFCUT_2", 66000, 22000, 20000, 30000));
    l1.AddPlacementNoCount(Offcut("OFFCUT_3", 44000, 44000, 22000, 8000));
    l1.AddPlacementNoCount(Offcut("ZEROOFFCUT_1", 0, 49000, 44000, 3000));

    TPacket l2 = Layout(s2, run, 1);
    l2.AddPlacement(Place(rP, 0, 0));
    l2.AddPlacement(Place(rP, 0, 27000));
    l2.AddPlacementNoCount(Offcut("OFFCUT_1", 72000, 0, 10000, 62000));
    l2.AddPlacementNoCount(Offcut("OFFCUT_2", 0, 54000, 72000, 8000));

    TPacket l3 = Layout(r7, run, 1);
    l3.AddPlacement(Place(rA, 0, 0, true));
    l3.AddPlacementNoCount(Offcut("OFFCUT_1", 22000, 0, 20000, 32000));

    Optimizer.Best.Clear();
    Optimizer.Best.Packets.Add(std::move(l1));
    Optimizer.Best.Packets.Add(std::move(l2));
    Optimizer.Best.Packets.Add(std::move(l3));
    ComputeUsedQuantities();
}

// A fixed date and time in the layout header while it lives.
class FixedDateTime {
  public:
    FixedDateTime() {
        SetReportDateTimeSource([] { return TReportDateTime{"2024-05-17", "14:03:07"}; });
    }
    ~FixedDateTime() { SetReportDateTimeSource({}); }
    FixedDateTime(const FixedDateTime&) = delete;
    FixedDateTime& operator=(const FixedDateTime&) = delete;
};

// An expected file of tests/data/output.
inline std::string Expected(const std::string& Name) {
    return testsupport::ReadText(std::string(TESSALY_TEST_DATA) + "/output/" + Name);
}

// The lines of a CR LF text (without their line ends).
inline std::vector<std::string> SplitCrLf(const std::string& Text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < Text.size()) {
        const std::size_t end = Text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(Text.substr(start));
            break;
        }
        lines.push_back(Text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

}  // namespace sample_plan
