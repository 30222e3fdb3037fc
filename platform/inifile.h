// INI files: sections of "key=value" lines.
//
// The file is read once when the object is made (a missing file reads as
// empty) and kept in memory; writes change the memory copy in place, keeping
// every other section, key and their order. UpdateFile() writes the whole file
// with CR LF line ends through a temporary file beside it that is renamed over
// the old one, so a failed write never leaves a half-written file; the
// failure is reported by an IniWriteError.
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

namespace platform {

class IniWriteError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

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
    struct Entry {
        std::string key;    // empty for comment or other non key lines
        std::string value;  // raw text after '=' (or the whole line)
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };
    Section* find(std::string_view name);
    const Section* find(std::string_view name) const;
    Section& addSection(std::string_view name);
    void reindex();
    const Entry* findEntry(std::string_view section, std::string_view key) const;

    std::string fileName_;
    std::vector<Section> sections_;
    // Lower-cased section name -> position in sections_.
    std::unordered_map<std::string, std::size_t> index_;
    bool modified_ = false;
};

// Writes Data to Path completely or not at all: a temporary file beside Path
// is written, flushed and renamed over it. Throws IniWriteError naming Path.
void WriteFileAtomic(const std::string& Path, std::string_view Data);

// Reads a whole file as bytes. Returns false when it cannot be opened.
bool ReadFileBytes(const std::string& Path, std::string& Data);

}  // namespace platform
