// The standard shape templates and the adding of shaped (profile) parts.
//
// A shaped part is made from one of the nine templates and up to six
// dimension texts, or from the outline last read from a DXF drawing
// (DxfOutline). Either way its shape goes into TrapeziumList and one piece
// (ShapeKind 2) into ProfilePartList (quantity Quantity1) and
// ProfilePartQtyList (quantity Quantity2).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/stock2d.h"

// The template names, in the order of the free-shape page.
const std::vector<std::string>& StandardTemplateNames();

// Adds a shaped part built by the template TemplateName (compared exactly)
// from the texts P1..P6. Refused with a warning through the current message
// sink, nothing added anywhere, when the label is already in ProfilePartList
// (MsgLabelIsntUnique) or when the name is unknown or the texts do not make a
// valid shape ("[" + any error + "]" + MsgShapeParaFormatInvalid). True when
// the part was added.
bool AddStandardProfilePart(const std::string& Label, const std::string& Comment,
                            const std::string& TemplateName, const std::string& P1,
                            const std::string& P2, const std::string& P3, const std::string& P4,
                            const std::string& P5, const std::string& P6, std::int32_t Quantity1,
                            std::int32_t Quantity2, const std::string& Material);

// Adds a shaped part whose outline is DxfOutline and whose packed shape is its
// bounding rectangle (built in DxfShape, then copied into TrapeziumList under
// Label, named ProfileName). Refused with a warning, nothing added, when the
// label is already in ProfilePartList (MsgLabelIsntUnique) or the outline has
// no length or no width (MsgProfileFileFormatError). True when added.
bool AddDxfProfilePart(const std::string& Label, const std::string& Comment,
                       const std::string& ProfileName, std::int32_t Quantity1,
                       std::int32_t Quantity2, const std::string& Material, bool CanRotate);

// The template builders. Each converts the texts it uses (fractions allowed)
// into internal units and, when they make a valid shape, sets the piece's
// ShapeKind (2), Length and Width, puts the shape under the piece's label
// into TrapeziumList (template name and the texts used stored with it) and
// returns true. Texts that do not convert, dimensions outside the template's
// range, a shape with no length or width and any overflow give false with
// nothing changed.
//   Triangle1: P1 = a, P2 = b (base), P3 = c, the three sides.
//   Triangle2: P1 = a, P2 = b, the sides at the right angle.
//   Trapezium1: P1 = bottom, P2 = top, P3 = right inset, P4 = height.
//   Trapezium2: P1 = top, P2 = bottom, P3 = height (right trapezium).
//   Trapezium3: P1 = side, P2 = shift, P3 = height (parallelogram).
//   Disc1 / Disc2: P1 = chord, P2 = height of a segment up to / over half a disc.
//   Disc3: P1 = radius, P2 = angle in degrees (sector).
//   Disc4: P1 = inner radius, P2 = angle in whole degrees, P3 = ring width.
bool MakeTriangle1Profile(T2DStock& Piece, const std::string& P1, const std::string& P2,
                          const std::string& P3, const std::string& P4, const std::string& P5,
                          const std::string& P6);
bool MakeTriangle2Profile(T2DStock& Piece, const std::string& P1, const std::string& P2,
                          const std::string& P3, const std::string& P4, const std::string& P5,
                          const std::string& P6);
bool MakeTrapezium1Profile(T2DStock& Piece, const std::string& P1, const std::string& P2,
                           const std::string& P3, const std::string& P4, const std::string& P5,
                           const std::string& P6);
bool MakeTrapezium2Profile(T2DStock& Piece, const std::string& P1, const std::string& P2,
                           const std::string& P3, const std::string& P4, const std::string& P5,
                           const std::string& P6);
bool MakeTrapezium3Profile(T2DStock& Piece, const std::string& P1, const std::string& P2,
                           const std::string& P3, const std::string& P4, const std::string& P5,
                           const std::string& P6);
bool MakeDisc1Profile(T2DStock& Piece, const std::string& P1, const std::string& P2,
                      const std::string& P3, const std::string& P4, const std::string& P5,
                      const std::string& P6);
bool MakeDisc2Profile(T2DStock& Piece, const std::string& P1, const std::string& P2,
                      const std::string& P3, const std::string& P4, const std::string& P5,
                      const std::string& P6);
bool MakeDisc3Profile(T2DStock& Piece, const std::string& P1, const std::string& P2,
                      const std::string& P3, const std::string& P4, const std::string& P5,
                      const std::string& P6);
bool MakeDisc4Profile(T2DStock& Piece, const std::string& P1, const std::string& P2,
                      const std::string& P3, const std::string& P4, const std::string& P5,
                      const std::string& P6);
