// INI files: sections of "key=value" lines.
//
// The file is read once when the object is made (a missing file, or a name
// that is no regular file, reads as empty) and kept in memory; lines may end
// with LF, CR LF or CR alone. Writes change the memory copy in place, keeping
// every other section, key and their order. UpdateFile() writes the whole file
// with CR LF line ends through a temporary file beside it that is renamed over
// the old one, so a failed write never leaves a half-written file; the
// failure is reported by an IniWriteError. Reading and every look-up take
// time in proportion to the file's size and the names looked up.
//
// Section and key names match without regard to letter case. Values are
// trimmed, and a value wrapped in a matching pair of double or single quotes
// is read without them.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/atomic_save.h"

namespace platform {

class TIniFile {
  public:
    explicit TIniFile(std::string FileName);

    const std::string& FileName() const { return fileName_; }

    std::string ReadString(std::string_view Section, std::string_view Key,
                           std::string_view Default) const;
    // Whole number of the value; Default when missing or not a whole number.
    std::int32_t ReadInteger(std::string_view Section, std::string_view Key,
                             std::int32_t Default) const;
    // "1"/"0" (and "true"/"false", any case); Default otherwise.
    bool ReadBool(std::string_view Section, std::string_view Key, bool Default) const;
    // Number with "." as separator; Default when missing or not a number.
    double ReadFloat(std::string_view Section, std::string_view Key, double Default) const;

    // CR and LF in Value are stored as blanks (a value is one line); a value
    // with blanks at either end or wrapped in quotes is stored in double
    // quotes, so ReadString gives it back unchanged.
    void WriteString(std::string_view Section, std::string_view Key, std::string_view Value);
    void WriteInteger(std::string_view Section, std::string_view Key, std::int32_t Value);
    void WriteBool(std::string_view Section, std::string_view Key, bool Value);
    void WriteFloat(std::string_view Section, std::string_view Key, double Value);

    void EraseSection(std::string_view Section);
    // Erases every section.
    void EraseAllSections();
    void DeleteKey(std::string_view Section, std::string_view Key);
    bool SectionExists(std::string_view Section) const;
    bool ValueExists(std::string_view Section, std::string_view Key) const;
    // Section names in file order.
    std::vector<std::string> ReadSections() const;
    // Key names of a section in file order.
    std::vector<std::string> ReadSection(std::string_view Section) const;

    // True when there are changes not yet written.
    bool Modified() const { return modified_; }
    // Writes the file (see above). Throws IniWriteError with the file name.
    void UpdateFile();

  private:
    // Names hashed and compared without regard to letter case, looked up by
    // string_view without making a copy.
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view name) const noexcept;
    };
    struct NameEqual {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const noexcept;
    };
    using NameIndex = std::unordered_map<std::string, std::size_t, NameHash, NameEqual>;

    struct Entry {
        std::string key;    // empty for comment or other non key lines
        std::string value;  // raw text after '=' (or the whole line)
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
        // Key -> position in entries.
        NameIndex keys;
        Entry* findKey(std::string_view key);
        const Entry* findKey(std::string_view key) const;
        // Adds a key line unless the key is there already (the first one counts).
        void addKey(std::string key, std::string value);
        void reindex();
    };
    Section* find(std::string_view name);
    const Section* find(std::string_view name) const;
    Section& addSection(std::string_view name);
    void reindex();
    const Entry* findEntry(std::string_view section, std::string_view key) const;

    std::string fileName_;
    std::vector<Section> sections_;
    // Section name -> position in sections_.
    NameIndex index_;
    bool modified_ = false;
};

// What a file name leads to when it is to be read.
enum class FileState {
    Readable,    // a regular file that can be opened for reading
    Missing,     // nothing of that name (or a link to nothing)
    NotAFile,    // a folder, device, pipe or socket
    Unreadable,  // there, but it cannot be opened or read
    TooLarge,    // larger than the reader's limit
};

// The state of Path without reading it; never waits on a pipe.
FileState ProbeFile(const std::string& Path);

// Reads a whole regular file as bytes, refusing anything else (a folder,
// device or pipe) and a file of more than MaxBytes. Data is changed only
// when the result is Readable.
FileState ReadRegularFile(const std::string& Path, std::string& Data,
                          std::uint64_t MaxBytes = UINT64_MAX);

// ReadRegularFile without a limit; true when the file was read.
bool ReadFileBytes(const std::string& Path, std::string& Data);

}  // namespace platform
