// Reading a shaped part's outline from a DXF drawing made by any CAD program.
//
// The reader takes POLYLINE (with its VERTEX entities), LWPOLYLINE, CIRCLE,
// LINE and ARC entities, wherever they stand, and turns them into line and arc
// segments: first those of every POLYLINE, then LWPOLYLINE, CIRCLE, LINE and
// ARC, each kind in file order. Segments are not reordered or joined. Every
// coordinate and radius is multiplied by 1000 (internal length units) and
// rounded, halves to even; angles in degrees become radians. Other entities,
// the Z values and the extrusion direction are passed over. The outline is
// then normalised (moved to the origin, extents set, turned to screen
// orientation).
//
// The file is read as pairs of lines: a group code, then its value, both
// trimmed. Entity names count only as the value of a group code 0, and an
// entity ends at the next group code 0 (a POLYLINE at its SEQEND). Numbers use
// "." as decimal separator whatever the locale.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/extpolyline.h"
#include "engine/stock2d.h"

// True when FileName is not empty, is not a folder and can be opened for
// reading.
bool FileCanBeOpened(const std::string& FileName);

// Centre of the arc from P1 to P2 with the DXF bulge Bulge (the tangent of a
// quarter of the included angle; positive runs counter-clockwise with Y up).
// Direction := Bulge >= 0; Large := |Bulge| >= 1 (half a turn or more).
// Throws ERangeError when the centre does not fit 32 bits (a bulge near 0).
void BulgeArcCenter(TPoint P1, TPoint P2, TPoint& Center, bool& Direction, bool& Large,
                    double Bulge);

// Reads the drawing held in Text. On success Outline is replaced by the
// normalised outline and the result is empty; otherwise Outline is left
// untouched and the result is the message for the user:
// - MsgNotFindPolylineData: no segment in the drawing;
// - MsgDxfErrorOutside: a coordinate, radius or the outline is too large
//   (beyond 999,999,999 internal units);
// - "[" + detail + "]" + MsgDxfFileNotFound + "[" + detail + "]": the text is
//   not a readable drawing (a value that is not a number, an odd number of
//   lines, a file that ends inside an entity, a polyline vertex without both
//   coordinates, more than 1001 vertices in one polyline).
std::string ParseDxfProfile(std::string_view Text, TExtPolyline& Outline);

// The largest DXF file read as an outline. A shaped part's polylines hold at
// most 1001 vertices (about 60 KB of DXF text each); even with the header,
// tables, blocks and texts a CAD program adds, real outline files stay far
// below this. The reader holds some 30 to 50 bytes per byte of the file
// while it works, so the bound also keeps it under a gigabyte.
inline constexpr std::uint64_t kMaxDxfFileBytes = 16 * 1024 * 1024;

// ParseDxfProfile of the file's contents; MsgCantOpenFile when the file is
// missing, a folder or cannot be opened, DxfFileTooLargeMessage when it holds
// more than kMaxDxfFileBytes, and the bracketed MsgDxfFileNotFound text when
// it opens but cannot be read. The file is closed before this returns.
// Running out of memory while reading or parsing gives
// DxfOutOfMemoryMessage; Outline is then unchanged.
std::string ReadDxfProfileFile(const std::string& FileName, TExtPolyline& Outline);
std::string DxfFileTooLargeMessage(const std::string& FileName);
std::string DxfOutOfMemoryMessage();

// The labels of a drawing: the text (group 1) of every TEXT and MTEXT entity,
// in file order, as UTF-8. \U+XXXX forms are decoded (two UTF-16 halves make
// one character); other bytes are read by the program's text rule (UTF-8 when
// valid, else Windows-1252, the ANSI_1252 of older drawings). A drawing that
// cannot be read gives no labels.
std::vector<std::string> DxfTextValues(std::string_view Text);

// Reads FileName into the program's DxfOutline; on success DxfProfileFileName
// := FileName. On failure both keep their values and the message is returned.
std::string ImportDxfProfile(const std::string& FileName);
