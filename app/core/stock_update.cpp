#include "app/core/stock_update.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <optional>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

#include "app/core/list_files.h"
#include "app/core/option_reader.h"
#include "app/core/racks.h"
#include "engine/errors.h"
#include "engine/pubfunc.h"
#include "engine/pubstr.h"
#include "engine/schemes.h"
#include "engine/shared_state.h"
#include "engine/textfmt.h"
#include "platform/message_sink.h"

namespace {

constexpr const char* kSetupPage = "TabSheetSetup";
constexpr const char* kOffcutsPage = "TabSheetOffcuts";
constexpr const char* kPartRackPage = "TabSheetPartHarp";

// A bad cell found while the update is worked out on the copy: the update is
// given up and nothing changes.
struct Refusal {
    TErrorLocation Where;
};

// Where the quantity cells of a grid are reported.
struct QtyGrid {
    const char* Page;
    const char* Grid;
    const std::string& Message;
};

// The whole number in a quantity cell.
std::int64_t QtyCellValue(const TStringGrid& G, int Col, int Row, const QtyGrid& At) {
    try {
        return StrToInt(G.Cell(Col, Row));
    } catch (const EConvertError& e) {
        throw Refusal{TErrorLocation::Cell(At.Page, At.Grid, Col, Row,
                                           "[" + std::string(e.what()) + "]" + At.Message)};
    }
}

// Writes V into a quantity cell; a value beyond 32 bits refuses the update.
void SetQtyCell(TStringGrid& G, int Col, int Row, std::int64_t V, const QtyGrid& At) {
    if (V < std::numeric_limits<std::int32_t>::min() ||
        V > std::numeric_limits<std::int32_t>::max())
        throw Refusal{
            TErrorLocation::Cell(At.Page, At.Grid, Col, Row,
                                 "[" + std::string(ERangeError().what()) + "]" + At.Message)};
    G.SetCell(Col, Row, IntToStr(V));
}

// A placed piece that stands for a usable offcut: its label up to and
// including the first "_" is OffcutPrefix.
bool IsOffcutPiece(const std::string& Label) {
    const std::size_t p = Label.find('_');
    return p != std::string::npos && Label.compare(0, p + 1, OffcutPrefix) == 0;
}

// An offcut piece big enough to keep (the report counts the same ones).
bool IsKeptOffcut(const T2DStock& Q) {
    return OffcutIsKept(Q, MinScrapLength, MinScrapWidth, OffcutLenRotatable);
}

// The offcut's share of its sheet's cost.
std::string OffcutCostText(const T2DStock& Q, const TPacket& P) {
    const double area = P.Area();
    const double cost = area > 0.0 ? Q.Area() / area * P.GetCost() : 0.0;
    return PubFunc.FloatUnitsToStr(cost);
}

const char* ShapeWord(std::uint8_t Kind) {
    switch (Kind) {
        case skCircle:
            return "Circ";
        case skShaped:
            return "Prof";
        default:
            return "Rect";
    }
}

// The slot note of one piece, built copy by copy.
class SlotNote {
  public:
    void Add(int Slot) {
        if (runStart_ < 0) {
            runStart_ = last_ = Slot;
            note_ += IntToStr(Slot);
        } else if (Slot == last_ + 1) {
            last_ = Slot;
        } else {
            if (runStart_ != last_) note_ += "-" + IntToStr(last_);
            runStart_ = last_ = Slot;
            note_ += "," + IntToStr(Slot);
        }
    }
    void RackFull(int CopiesLeft) {
        if (runStart_ != last_) note_ += "-" + IntToStr(last_) + ",";
        note_ += "-1X" + IntToStr(CopiesLeft);
        runStart_ = last_;
    }
    std::string Text() const {
        std::string s = note_;
        if (runStart_ != last_) s += "-" + IntToStr(last_);
        return s + ")";
    }

  private:
    std::string note_ = "(";
    int runStart_ = -1;
    int last_ = -1;
};

// The lowest empty slot from Cursor on (slots only fill while a rack is
// filled, so the search never has to look back); -1 when the rack is full.
template <typename IsEmpty>
int NextEmptySlot(int& Cursor, int RowCount, IsEmpty Empty) {
    while (Cursor < RowCount && !Empty(Cursor)) ++Cursor;
    return Cursor < RowCount ? Cursor : -1;
}

// A slot note to be written into a placed piece once the update is made.
struct PieceNote {
    int Layout;
    int Placement;
    std::string Text;
};

// The update worked out on a copy of the grids, taken over only when every
// step has gone through.
struct Work {
    TMainData D;
    std::vector<PieceNote> Notes;
    int OffcutsNotStored = 0;
    int PartsNotStored = 0;

    explicit Work(const TMainData& Data) : D(Data) {}

    void SubtractSheets(const TSchemes& Plan);
    void SubtractParts(const TSchemes& Plan);
    void OffcutsToRack(const TSchemes& Plan, const std::string& Prefix);
    void OffcutsToSheets(const TSchemes& Plan, const std::string& Prefix);
    void PartsToRack(const TSchemes& Plan, const TPanels& Parts);

    // Fills Copies slots for one piece; returns its slot note.
    template <typename IsEmpty, typename Fill>
    std::string FillSlots(int Copies, int& Cursor, int RowCount, IsEmpty Empty, Fill Put,
                          int& NotStored) {
        SlotNote note;
        for (int k = 0; k < Copies; ++k) {
            const int s = NextEmptySlot(Cursor, RowCount, Empty);
            if (s < 0) {
                note.RackFull(Copies - k);
                NotStored += Copies - k;
                break;
            }
            note.Add(s);
            Put(s);
        }
        return note.Text();
    }
};

// A plan is booked only against the lists it was made from: every sheet of a
// layout (rack offcuts aside) must still have a row of its label and
// material in the sheets grid, and every part cut a row in the parts or
// free-shape grid; and those rows must still read as the run read them
// (SheetList, PartList and the others hold what it read). Otherwise the
// lists were replaced or edited since the run and the update is refused.
std::string OtherListsMessage(const std::string& What, const std::string& Label,
                              const std::string& Material) {
    return "The plan was made from other lists: " + What + " [" + Label + "] [" + Material +
           "] is no longer in the grid. Nothing was updated; start the optimisation again "
           "before updating the stock.";
}

std::string ChangedRowsMessage(const std::string& What, const std::string& Label,
                               const std::string& Material) {
    return "The plan was made from other lists: " + What + " [" + Label + "] [" + Material +
           "] has been changed since the run (size, type, quantity or rotation). Nothing was "
           "updated; start the optimisation again before updating the stock.";
}

// What a booking depends on in one row of the sheets, parts or free-shape
// grid, read as a run reads it: the sizes (none for a free shape), the
// rotation, the shape and both quantities. A cell that no longer reads
// leaves its value unset, which matches nothing the run read.
struct RowFacts {
    std::optional<std::int32_t> Length, Width, Qty, MaxQty;
    bool CanRotate = true;
    std::uint8_t ShapeKind = skRectangle;
    bool operator<(const RowFacts& o) const {
        return std::tie(Length, Width, Qty, MaxQty, CanRotate, ShapeKind) <
               std::tie(o.Length, o.Width, o.Qty, o.MaxQty, o.CanRotate, o.ShapeKind);
    }
    bool operator==(const RowFacts& o) const = default;
};

std::optional<std::int32_t> LengthCell(const std::string& Text) {
    std::int32_t v = 0;
    std::string e;
    if (!TypedLengthToUnits(Text, v, e)) return std::nullopt;
    return v;
}

std::optional<std::int32_t> IntCell(const std::string& Text) {
    try {
        return StrToInt(Text);
    } catch (const EConvertError&) {
        return std::nullopt;
    }
}

// Qty and Max Qty as the readers take them: an empty one is the other.
void ReadQtys(RowFacts& F, const std::string& Qty, const std::string& MaxQty) {
    F.Qty = IntCell(Trim(Qty).empty() ? MaxQty : Qty);
    F.MaxQty = IntCell(Trim(MaxQty).empty() ? Qty : MaxQty);
}

// A label and material; the facts of the rows or pieces of each, sorted.
using RowKey = std::pair<std::string, std::string>;
using FactsByKey = std::map<RowKey, std::vector<RowFacts>>;

// The grid's rows of the wanted keys, in one pass over the grid.
template <typename OfRow>
FactsByKey GridFacts(const TStringGrid& G, int LabelCol, int TypeCol,
                     const std::set<RowKey>& Wanted, OfRow Facts) {
    FactsByKey rows;
    for (int r = 1; r < G.RowCount(); ++r) {
        RowKey key{Trim(G.Cell(LabelCol, r)), Trim(G.Cell(TypeCol, r))};
        if (Wanted.count(key)) rows[std::move(key)].push_back(Facts(r));
    }
    for (auto& [key, facts] : rows) std::sort(facts.begin(), facts.end());
    return rows;
}

// Which facts a list's pieces carry: a sheet has no rotation or shape, a
// free shape no sizes in its grid.
enum class PieceKind { Sheet, Part, Profile };

// The run's pieces of the wanted keys; Qtys holds the quantities to cut of
// Pieces (entry i of both is one piece), whose own quantity is the maximum.
FactsByKey RunFacts(const TPanels& Pieces, const TPanels& Qtys, PieceKind Kind,
                    const std::set<RowKey>& Wanted) {
    FactsByKey facts;
    for (int i = 0; i < Pieces.Count(); ++i) {
        const T2DStock& p = Pieces[i];
        RowKey key{p.Label, p.Material};
        if (!Wanted.count(key)) continue;
        RowFacts f;
        if (Kind != PieceKind::Profile) {
            f.Length = p.Length;
            f.Width = p.Width;
        }
        f.Qty = i < Qtys.Count() ? Qtys[i].Quantity : p.Quantity;
        f.MaxQty = p.Quantity;
        if (Kind != PieceKind::Sheet) {
            f.CanRotate = p.CanRotate;
            f.ShapeKind = p.ShapeKind == skCircle ? skCircle : skRectangle;
        }
        facts[std::move(key)].push_back(f);
    }
    for (auto& [key, list] : facts) std::sort(list.begin(), list.end());
    return facts;
}

const std::vector<RowFacts>& FactsOf(const FactsByKey& Facts, const RowKey& Key) {
    static const std::vector<RowFacts> none;
    const auto it = Facts.find(Key);
    return it == Facts.end() ? none : it->second;
}

// The facts of a row, each with the grid column it is read from.
enum class Fact { Length, Width, Qty, MaxQty, Rotate, Shape };

bool Differs(Fact F, const RowFacts& A, const RowFacts& B) {
    switch (F) {
        case Fact::Length:
            return A.Length != B.Length;
        case Fact::Width:
            return A.Width != B.Width;
        case Fact::Qty:
            return A.Qty != B.Qty;
        case Fact::MaxQty:
            return A.MaxQty != B.MaxQty;
        case Fact::Rotate:
            return A.CanRotate != B.CanRotate;
        case Fact::Shape:
            return A.ShapeKind != B.ShapeKind;
    }
    return false;
}

// One of the grids a plan is booked against, and how its rows read.
struct BookedGrid {
    const TStringGrid& G;
    const char* Page;
    const char* Name;
    int LabelCol, TypeCol, QtyCol;
    std::vector<std::pair<Fact, int>> Columns;  // in the grid's column order
    std::function<RowFacts(int)> Facts;
};

// Where to show that the rows of Key no longer read as the run read them:
// the first row of Key that matches none of the rows the run read, at its
// first cell that differs from the one row left unmatched (its quantity
// cell when no single row is left to compare with).
TErrorLocation ChangedRowCell(const BookedGrid& B, const RowKey& Key, std::vector<RowFacts> Read,
                              const std::string& Message) {
    std::vector<std::pair<int, RowFacts>> rows;
    for (int r = 1; r < B.G.RowCount(); ++r)
        if (Trim(B.G.Cell(B.LabelCol, r)) == Key.first &&
            Trim(B.G.Cell(B.TypeCol, r)) == Key.second)
            rows.emplace_back(r, B.Facts(r));
    int changed = -1;
    const RowFacts* facts = nullptr;
    for (const auto& [r, f] : rows) {
        const auto same = std::find(Read.begin(), Read.end(), f);
        if (same != Read.end()) {
            Read.erase(same);
        } else if (changed < 0) {
            changed = r;
            facts = &f;
        }
    }
    if (changed < 0) return TErrorLocation::Field(B.Page, B.Name, Message);
    int col = B.QtyCol;
    if (Read.size() == 1) {
        for (const auto& [fact, c] : B.Columns)
            if (Differs(fact, *facts, Read.front())) {
                col = c;
                break;
            }
    }
    return TErrorLocation::Cell(B.Page, B.Name, col, changed, Message);
}

void CheckPlanInGrids(const TMainData& D, const TSchemes& Plan, bool Sheets, bool Parts) {
    // Each sheet and part is looked at once, however many layouts use it.
    std::set<RowKey> sheets, parts;
    for (const TPacket& p : Plan.Packets) {
        if (Sheets && p.SourceKind != srcOffcut) sheets.emplace(p.Label, p.Material);
        if (!Parts) continue;
        p.PartCounts.ForEachNonZero([&](int Index, std::int32_t) {
            parts.emplace(p.PartCounts.Part(Index).Label, p.Material);
        });
    }

    const TStringGrid& s = D.StringGridSheets;
    const BookedGrid sheetGrid{s,
                               "TabSheetSheets",
                               "StringGridSheets",
                               SheetCol::Label,
                               SheetCol::Type,
                               SheetCol::Qty,
                               {{Fact::Length, SheetCol::Length},
                                {Fact::Width, SheetCol::Width},
                                {Fact::Qty, SheetCol::Qty}},
                               [&](int r) {
                                   RowFacts f;
                                   f.Length = LengthCell(s.Cell(SheetCol::Length, r));
                                   f.Width = LengthCell(s.Cell(SheetCol::Width, r));
                                   f.Qty = f.MaxQty = IntCell(s.Cell(SheetCol::Qty, r));
                                   return f;
                               }};
    const FactsByKey sheetRows =
        GridFacts(s, SheetCol::Label, SheetCol::Type, sheets, sheetGrid.Facts);
    const FactsByKey sheetsRead = RunFacts(SheetList, SheetList, PieceKind::Sheet, sheets);
    for (const RowKey& k : sheets) {
        if (!sheetRows.count(k))
            throw Refusal{TErrorLocation::Field(sheetGrid.Page, sheetGrid.Name,
                                                OtherListsMessage("the sheet", k.first, k.second))};
        if (FactsOf(sheetRows, k) != FactsOf(sheetsRead, k))
            throw Refusal{ChangedRowCell(sheetGrid, k, FactsOf(sheetsRead, k),
                                         ChangedRowsMessage("the sheet", k.first, k.second))};
    }

    const TStringGrid& g = D.StringGridParts;
    const BookedGrid partGrid{g,
                              "TabSheetParts",
                              "StringGridParts",
                              PartCol::Label,
                              PartCol::Type,
                              PartCol::Qty,
                              {{Fact::Length, PartCol::Length},
                               {Fact::Width, PartCol::Width},
                               {Fact::Rotate, PartCol::Rotate},
                               {Fact::Qty, PartCol::Qty},
                               {Fact::MaxQty, PartCol::MaxQty},
                               {Fact::Shape, PartCol::Shape}},
                              [&](int r) {
                                  RowFacts f;
                                  f.Length = LengthCell(g.Cell(PartCol::Length, r));
                                  f.Width = LengthCell(g.Cell(PartCol::Width, r));
                                  ReadQtys(f, g.Cell(PartCol::Qty, r), g.Cell(PartCol::MaxQty, r));
                                  f.CanRotate = NormalRotateCell(g.Cell(PartCol::Rotate, r)) == "R";
                                  f.ShapeKind = NormalShapeCell(g.Cell(PartCol::Shape, r)) == "C"
                                                    ? skCircle
                                                    : skRectangle;
                                  return f;
                              }};
    const FactsByKey partRows = GridFacts(g, PartCol::Label, PartCol::Type, parts, partGrid.Facts);
    const TStringGrid& a = D.StringGridAnyShape;
    const BookedGrid profileGrid{a,
                                 "TabSheetAnyShape",
                                 "StringGridAnyShape",
                                 AnyShapeCol::Label,
                                 AnyShapeCol::Type,
                                 AnyShapeCol::Qty,
                                 {{Fact::Rotate, AnyShapeCol::Rotate},
                                  {Fact::Qty, AnyShapeCol::Qty},
                                  {Fact::MaxQty, AnyShapeCol::MaxQty}},
                                 [&](int r) {
                                     RowFacts f;
                                     ReadQtys(f, a.Cell(AnyShapeCol::Qty, r),
                                              a.Cell(AnyShapeCol::MaxQty, r));
                                     const std::string rot = Trim(a.Cell(AnyShapeCol::Rotate, r));
                                     f.CanRotate = rot.empty() || SameText(rot, "R");
                                     return f;
                                 }};
    const FactsByKey profileRows =
        GridFacts(a, AnyShapeCol::Label, AnyShapeCol::Type, parts, profileGrid.Facts);
    const FactsByKey partsRead = RunFacts(PartList, PartQtyList, PieceKind::Part, parts);
    const FactsByKey profilesRead =
        RunFacts(ProfilePartList, ProfilePartQtyList, PieceKind::Profile, parts);
    for (const RowKey& k : parts) {
        // A part the run read as a free shape is looked for on that page.
        const BookedGrid& home =
            !partsRead.count(k) && profilesRead.count(k) ? profileGrid : partGrid;
        if (!partRows.count(k) && !profileRows.count(k))
            throw Refusal{TErrorLocation::Field(home.Page, home.Name,
                                                OtherListsMessage("the part", k.first, k.second))};
        const std::string changed = ChangedRowsMessage("the part", k.first, k.second);
        if (FactsOf(partRows, k) != FactsOf(partsRead, k))
            throw Refusal{ChangedRowCell(partGrid, k, FactsOf(partsRead, k), changed)};
        if (FactsOf(profileRows, k) != FactsOf(profilesRead, k))
            throw Refusal{ChangedRowCell(profileGrid, k, FactsOf(profilesRead, k), changed)};
    }
}

void Work::SubtractSheets(const TSchemes& Plan) {
    TStringGrid& g = D.StringGridSheets;
    const QtyGrid at{"TabSheetSheets", "StringGridSheets", MsgSheetQtyFormatInvalid};
    for (const TPacket& p : Plan.Packets) {
        if (p.SourceKind == srcOffcut) continue;  // a rack offcut is no row of the sheets grid
        for (int r = 1; r < g.RowCount(); ++r) {
            if (Trim(g.Cell(SheetCol::Label, r)) != p.Label ||
                Trim(g.Cell(SheetCol::Type, r)) != p.Material)
                continue;
            SetQtyCell(g, SheetCol::Qty, r, QtyCellValue(g, SheetCol::Qty, r, at) - p.Quantity, at);
        }
    }
}

void Work::SubtractParts(const TSchemes& Plan) {
    struct PartGrid {
        TStringGrid& G;
        int Qty, MaxQty;
        QtyGrid At;
    };
    const PartGrid grids[] = {
        {D.StringGridParts,
         PartCol::Qty,
         PartCol::MaxQty,
         {"TabSheetParts", "StringGridParts", MsgPartQtyFormatInvalid}},
        {D.StringGridAnyShape,
         AnyShapeCol::Qty,
         AnyShapeCol::MaxQty,
         {"TabSheetAnyShape", "StringGridAnyShape", MsgPartQtyFormatInvalid}}};
    for (const PartGrid& pg : grids) {
        TStringGrid& g = pg.G;
        for (const TPacket& p : Plan.Packets) {
            for (const T2DStock& c : p.PartCounts.ToPanels()) {
                const std::int64_t k = std::int64_t{c.Quantity} * p.Quantity;
                if (k == 0) continue;
                for (int r = 1; r < g.RowCount(); ++r) {
                    if (Trim(g.Cell(0, r)) != c.Label || Trim(g.Cell(1, r)) != p.Material) continue;
                    const std::int64_t maxQty = QtyCellValue(g, pg.MaxQty, r, pg.At);
                    const std::int64_t qty = QtyCellValue(g, pg.Qty, r, pg.At);
                    SetQtyCell(g, pg.MaxQty, r, maxQty - k, pg.At);
                    SetQtyCell(g, pg.Qty, r, std::max<std::int64_t>(0, qty - k), pg.At);
                }
            }
        }
    }
}

void Work::OffcutsToRack(const TSchemes& Plan, const std::string& Prefix) {
    TStringGrid& g = D.StringGridOffcutRack;

    // The slots of the rack offcuts that served as sheets, each slot taken
    // once: first those whose label, type and sizes are the layout's, then
    // those that only share label and type.
    std::vector<bool> used(static_cast<std::size_t>(g.RowCount()), false);
    for (const TPacket& p : Plan.Packets) {
        if (p.SourceKind != srcOffcut) continue;
        int wanted = p.Quantity;
        for (int pass = 0; pass < 2 && wanted > 0; ++pass) {
            for (int r = 1; r < g.RowCount() && wanted > 0; ++r) {
                if (used[static_cast<std::size_t>(r)] || IsEmptyOffcutSlot(D, r)) continue;
                if (Trim(g.Cell(OffcutRackCol::Label, r)) != Trim(p.Label) ||
                    Trim(g.Cell(OffcutRackCol::Type, r)) != p.Material)
                    continue;
                if (pass == 0 && (Trim(g.Cell(OffcutRackCol::Length, r)) != Trim(p.LengthText) ||
                                  Trim(g.Cell(OffcutRackCol::Width, r)) != Trim(p.WidthText)))
                    continue;
                used[static_cast<std::size_t>(r)] = true;
                --wanted;
            }
        }
    }

    // The new offcuts go into empty slots before the used ones are cleared,
    // so a slot freed here is not filled here.
    int cursor = 1;
    const auto empty = [&](int s) { return IsEmptyOffcutSlot(D, s); };
    for (int li = 0; li < Plan.Count(); ++li) {
        const TPacket& p = Plan[li];
        for (int qi = 0; qi < p.Placements.Count(); ++qi) {
            const T2DStock& q = p.Placements[qi];
            if (!IsKeptOffcut(q)) continue;
            const std::string len = PubFunc.UnitsToStr(q.NetLength());
            const std::string wid = PubFunc.UnitsToStr(q.NetWidth());
            const std::string cost = OffcutCostText(q, p);
            const auto put = [&](int s) {
                g.SetCell(OffcutRackCol::Label, s, Prefix + len + "X" + wid + "_" + IntToStr(s));
                g.SetCell(OffcutRackCol::Type, s, p.Material);
                g.SetCell(OffcutRackCol::Length, s, len);
                g.SetCell(OffcutRackCol::Width, s, wid);
                g.SetCell(OffcutRackCol::Cost, s, cost);
                g.SetCell(OffcutRackCol::Comment, s, p.Label + "_" + p.Comment);
            };
            std::string note =
                FillSlots(p.Quantity, cursor, g.RowCount(), empty, put, OffcutsNotStored);
            if (note != "()") Notes.push_back({li, qi, std::move(note)});
        }
    }

    for (int r = 1; r < g.RowCount(); ++r)
        if (used[static_cast<std::size_t>(r)]) ClearOffcutSlot(D, r);
}

void Work::OffcutsToSheets(const TSchemes& Plan, const std::string& Prefix) {
    TStringGrid& g = D.StringGridSheets;
    const QtyGrid at{"TabSheetSheets", "StringGridSheets", MsgSheetQtyFormatInvalid};
    for (const TPacket& p : Plan.Packets) {
        for (const T2DStock& q : p.Placements) {
            if (!IsKeptOffcut(q)) continue;
            const std::string len = PubFunc.UnitsToStr(q.NetLength());
            const std::string wid = PubFunc.UnitsToStr(q.NetWidth());
            const std::string name = Prefix + len + "_" + wid;

            int row = -1;
            for (int r = 1; r < g.RowCount() && row < 0; ++r)
                if (Trim(g.Cell(SheetCol::Label, r)) == name &&
                    Trim(g.Cell(SheetCol::Type, r)) == p.Material)
                    row = r;
            if (row > 0) {
                SetQtyCell(g, SheetCol::Qty, row,
                           QtyCellValue(g, SheetCol::Qty, row, at) + p.Quantity, at);
                continue;
            }

            for (int r = 1; r < g.RowCount() && row < 0; ++r)
                if (Trim(g.Cell(SheetCol::Label, r)).empty()) row = r;
            if (row < 0) {
                row = g.RowCount();
                g.SetRowCount(row + 10);
                g.SetCell(SheetCol::Comment, row, "");
            }
            g.SetCell(SheetCol::Label, row, name);
            g.SetCell(SheetCol::Type, row, p.Material);
            g.SetCell(SheetCol::Length, row, len);
            g.SetCell(SheetCol::Width, row, wid);
            g.SetCell(SheetCol::Qty, row, IntToStr(p.Quantity));
            g.SetCell(SheetCol::Cost, row, OffcutCostText(q, p));
            g.SetCell(SheetCol::Priority, row, "0");
            g.SetCell(SheetCol::Comment, row, p.Label + " " + g.Cell(SheetCol::Comment, row));
        }
    }
}

void Work::PartsToRack(const TSchemes& Plan, const TPanels& Parts) {
    TStringGrid& g = D.StringGridPartRack;
    int cursor = 1;
    const auto empty = [&](int s) { return IsEmptyPartSlot(D, s); };
    for (const T2DStock& part : Parts) {
        for (int li = 0; li < Plan.Count(); ++li) {
            const TPacket& p = Plan[li];
            // A label names one part per material: parts of other materials
            // with the same label have their own layouts.
            if (p.Material != part.Material) continue;
            for (int qi = 0; qi < p.Placements.Count(); ++qi) {
                const T2DStock& q = p.Placements[qi];
                if (q.Label != part.Label || IsOffcutPiece(q.Label)) continue;
                const auto put = [&](int s) {
                    g.SetCell(PartRackCol::Label, s, q.Label);
                    g.SetCell(PartRackCol::Type, s, p.Material);
                    g.SetCell(PartRackCol::Length, s, q.LengthText);
                    g.SetCell(PartRackCol::Width, s, q.WidthText);
                    g.SetCell(PartRackCol::Shape, s, ShapeWord(q.ShapeKind));
                    g.SetCell(PartRackCol::Comment, s,
                              p.Label + "_" + q.Label + "_" + IntToStr(s) + " " + q.Comment);
                };
                std::string note =
                    FillSlots(p.Quantity, cursor, g.RowCount(), empty, put, PartsNotStored);
                if (note != "()") Notes.push_back({li, qi, std::move(note)});
            }
        }
    }
}

void NameOffcutsOfPlan(TSchemes& Plan) {
    for (TPacket& p : Plan.Packets) NameOffcutsOfPacket(p);
}

std::string OffcutRackFullMessage(int N) {
    return "The offcut rack is full: " + IntToStr(N) + " offcut(s) could not be stored.";
}

std::string PartRackFullMessage(int N) {
    return "The part rack is full: " + IntToStr(N) + " part(s) could not be stored.";
}

// The steps one command makes.
struct Steps {
    bool Sheets = false;
    bool Parts = false;
    bool OffcutsToRack = false;
    bool OffcutsToSheets = false;
    bool PartsToRack = false;

    bool Offcuts() const { return OffcutsToRack || OffcutsToSheets; }
};

// Shared by every command: the steps are worked out on a copy and taken over
// only when all have gone through.
bool RunSteps(TMainData& Data, const Steps& S, const std::string& Prefix,
              TStockUpdateOutcome& Outcome) {
    TSchemes& plan = Optimizer.Best;
    if (S.Offcuts() || S.PartsToRack) NameOffcutsOfPlan(plan);
    Work w(Data);
    try {
        if (S.Sheets) w.SubtractSheets(plan);
        if (S.Parts) w.SubtractParts(plan);
        // After the steps, which name a bad cell where it stands.
        if (S.Sheets || S.Parts) CheckPlanInGrids(Data, plan, S.Sheets, S.Parts);
        if (S.OffcutsToRack) w.OffcutsToRack(plan, Prefix);
        if (S.OffcutsToSheets) w.OffcutsToSheets(plan, Prefix);
        if (S.PartsToRack) w.PartsToRack(plan, Optimizer.Parts);
    } catch (const Refusal& r) {
        Outcome.Error = r.Where;
        platform::CurrentMessageSink().Warning(r.Where.Message);
        return false;
    }

    if (S.Sheets || S.OffcutsToSheets) {
        Data.StringGridSheets = std::move(w.D.StringGridSheets);
        Outcome.SheetsChanged = true;
    }
    if (S.Parts) {
        Data.StringGridParts = std::move(w.D.StringGridParts);
        Data.StringGridAnyShape = std::move(w.D.StringGridAnyShape);
        Outcome.PartsChanged = true;
    }
    if (S.OffcutsToRack) {
        Data.StringGridOffcutRack = std::move(w.D.StringGridOffcutRack);
        Outcome.OffcutRackChanged = true;
    }
    if (S.PartsToRack) {
        Data.StringGridPartRack = std::move(w.D.StringGridPartRack);
        Outcome.PartRackChanged = true;
    }
    for (PieceNote& n : w.Notes) plan[n.Layout].Placements[n.Placement].ExtraText = n.Text;

    Outcome.OffcutsNotStored = w.OffcutsNotStored;
    Outcome.PartsNotStored = w.PartsNotStored;
    if (w.OffcutsNotStored > 0)
        platform::CurrentMessageSink().Warning(OffcutRackFullMessage(w.OffcutsNotStored));
    if (w.PartsNotStored > 0)
        platform::CurrentMessageSink().Warning(PartRackFullMessage(w.PartsNotStored));
    return true;
}

// False with the MsgLayoutIsEmpty warning when there is no plan.
bool PlanReady() {
    if (Optimizer.Best.Count() >= 1) return true;
    platform::CurrentMessageSink().Warning(MsgLayoutIsEmpty);
    return false;
}

// MinScrapLength and MinScrapWidth from the settings page, read as the run
// reads them (fractions such as "3/4" and "1 1/2" included). A text that is
// no length, or a negative one, is refused with a warning; a length read
// before a bad width keeps its new value.
bool ReadOffcutLimits(const TOptionPage& Page, TStockUpdateOutcome& Outcome) {
    struct Limit {
        const std::string& Text;
        const char* Control;
        std::int32_t& Value;
        const std::string& Message;
    };
    const Limit limits[] = {{Page.EditMinOffcutLength1, "EditMinOffcutLength1", MinScrapLength,
                             MsgMinScrapLengthFormatInvalid},
                            {Page.EditMinOffcutLength2, "EditMinOffcutLength2", MinScrapWidth,
                             MsgMinScrapWidthFormatInvalid}};
    for (const Limit& l : limits) {
        std::string e;
        std::int32_t v = 0;
        if (!TypedLengthToUnits(l.Text, v, e)) v = -1;
        if (v < 0) {
            Outcome.Error = TErrorLocation::Field(kSetupPage, l.Control, "[" + e + "]" + l.Message);
            platform::CurrentMessageSink().Warning(Outcome.Error.Message);
            return false;
        }
        l.Value = v;
    }
    return true;
}

// A command of one step (no offcuts) that switches only its own Button off.
bool RunOneStep(TMainData& Data, const Steps& S, bool& Button, TStockUpdateOutcome& Outcome) {
    Outcome = {};
    if (!PlanReady() || !Button) return false;
    if (!RunSteps(Data, S, "", Outcome)) return false;
    Button = false;
    return true;
}

// The two offcut commands: the kept offcuts into the rack (ToRack) or the
// sheets grid. Either one switches both off.
bool AddOffcuts(TMainData& Data, const TOptionPage& Page, TStockUpdateButtons& Buttons,
                TStockUpdateOutcome& Outcome, bool ToRack) {
    Outcome = {};
    if (!PlanReady() || !Buttons.ButtonAddOffcutToRack || !Buttons.ButtonAddOffcutsToSheets)
        return false;
    if (!ReadOffcutLimits(Page, Outcome)) return false;
    Steps s;
    s.OffcutsToRack = ToRack;
    s.OffcutsToSheets = !ToRack;
    if (!RunSteps(Data, s, Page.LabeledEditOffcutsPrefix, Outcome)) return false;
    Buttons.ButtonAddOffcutsToSheets = false;
    Buttons.ButtonAddOffcutToRack = false;
    Buttons.ButtonManual = false;
    Buttons.ButtonLayoutAgain = false;
    if (ToRack) Outcome.PageToFront = kOffcutsPage;
    return true;
}

}  // namespace

std::string RackSlotNote(const std::vector<int>& Slots, int NotStored) {
    SlotNote note;
    for (int s : Slots) note.Add(s);
    if (NotStored > 0) note.RackFull(NotStored);
    return note.Text();
}

bool TStockUpdater::ButtonUpdateAllClick() {
    Outcome_ = {};
    if (!PlanReady() || !Buttons_.ButtonUpdateAll) return false;
    Steps s;
    s.Sheets = Buttons_.ButtonUpdateSheets;
    s.Parts = Buttons_.ButtonUpdateParts;
    const bool offcuts = Buttons_.ButtonAddOffcutToRack && Buttons_.ButtonAddOffcutsToSheets;
    s.OffcutsToSheets = offcuts && DisableOffcutsRack;
    s.OffcutsToRack = offcuts && !DisableOffcutsRack;
    s.PartsToRack = !DisablePartsRack && Buttons_.ButtonAddPartToRack;
    if (s.Offcuts() && !ReadOffcutLimits(Page_, Outcome_)) return false;
    if (!RunSteps(Data_, s, Page_.LabeledEditOffcutsPrefix, Outcome_)) return false;

    if (s.Sheets) Buttons_.ButtonUpdateSheets = false;
    if (s.Parts) Buttons_.ButtonUpdateParts = false;
    if (s.Offcuts()) {
        Buttons_.ButtonAddOffcutsToSheets = false;
        Buttons_.ButtonAddOffcutToRack = false;
    }
    if (s.PartsToRack) Buttons_.ButtonAddPartToRack = false;
    if (s.OffcutsToRack) Outcome_.PageToFront = kOffcutsPage;
    if (s.PartsToRack) Outcome_.PageToFront = kPartRackPage;
    Buttons_.ButtonLayoutAgain = false;
    Buttons_.ButtonManual = false;
    Buttons_.ButtonUpdateAll = false;
    Buttons_.ButtonDeleteLayout = false;
    return true;
}

bool TStockUpdater::ButtonUpdateSheetsClick() {
    return RunOneStep(Data_, Steps{.Sheets = true}, Buttons_.ButtonUpdateSheets, Outcome_);
}

bool TStockUpdater::ButtonUpdatePartsClick() {
    return RunOneStep(Data_, Steps{.Parts = true}, Buttons_.ButtonUpdateParts, Outcome_);
}

TStockUpdateButtons OfferedUpdateButtons(const TStockUpdateButtons& buttons) {
    TStockUpdateButtons offered = buttons;
    if (DisableOffcutsRack) offered.ButtonAddOffcutToRack = false;
    if (DisablePartsRack) offered.ButtonAddPartToRack = false;
    return offered;
}

bool TStockUpdater::ButtonAddOffcutToRackClick() {
    return AddOffcuts(Data_, Page_, Buttons_, Outcome_, true);
}

bool TStockUpdater::ButtonAddOffcutsToSheetsClick() {
    return AddOffcuts(Data_, Page_, Buttons_, Outcome_, false);
}

bool TStockUpdater::ButtonAddPartToRackClick() {
    Outcome_ = {};
    if (!PlanReady() || !Buttons_.ButtonAddPartToRack) return false;
    Steps s;
    s.PartsToRack = true;
    if (!RunSteps(Data_, s, "", Outcome_)) return false;
    Buttons_.ButtonAddPartToRack = false;
    Buttons_.ButtonManual = false;
    Buttons_.ButtonLayoutAgain = false;
    Outcome_.PageToFront = kPartRackPage;
    return true;
}
