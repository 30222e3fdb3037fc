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

// Writes Data to Path completely or not at all: a temporary file beside the
// target is written, flushed and renamed over it. A target that is there but
// is no regular file is never replaced: a character device or a pipe is
// written in place (a pipe that nobody reads is refused), anything else is
// refused. A symbolic link is written
// through: its target gets the new contents and the link stays. An existing
// file keeps its permission bits; one that no one may write (no write bit) or
// that this user may not write is refused, not replaced. The temporary name
// is made for this write alone (Path + ".tmp~" + process id + "-" + number,
// created exclusively), so two runs writing in one folder never share it;
// such names of the same target left by a process that no longer runs (a
// killed write) are removed. Throws IniWriteError naming Path.
//
// Inside a TFileWriteGroup of the same thread the file is only written to
// its temporary name; the group's Commit() renames it into place.
void WriteFileAtomic(const std::string& Path, std::string_view Data);

// Files that belong together (the files of one stock update): while the group
// is open, WriteFileAtomic on this thread writes each file to its temporary
// name only, and Commit() renames them into place one after another once all
// are written. A group ended without Commit() removes its temporary files and
// changes no file. Groups do not nest: an inner group leaves the writes to
// the outer one. A device or pipe is written at once, in place.
class TFileWriteGroup {
  public:
    TFileWriteGroup();
    ~TFileWriteGroup();
    TFileWriteGroup(const TFileWriteGroup&) = delete;
    TFileWriteGroup& operator=(const TFileWriteGroup&) = delete;

    // Renames the files written, in the order written, and returns their
    // names as given to WriteFileAtomic; all of them or none.
    //
    // It holds the folder lock (TFolderLock) of every folder it writes to,
    // and checks before the first rename that each target can be renamed
    // over (its folder can be written, it is no mount point, no other user's
    // file in a shared sticky folder). The old contents are kept beside each
    // target, and a commit record naming the files of its folder is written
    // into each folder and flushed to the disk. The save is final when the
    // record of the first folder is removed. A rename that fails puts back
    // what was renamed and throws IniWriteError saying what was and was not
    // saved; what cannot be put back at once is put back by the next
    // RecoverWriteGroups there, so a save reported as failed never becomes
    // final later. A group stopped by a kill or a power cut is undone by
    // RecoverWriteGroups at the next start.
    std::vector<std::string> Commit();

    // For tests: when 0 or more, Commit stops after that many renames as if
    // the process had been killed there, leaving the records, the staged
    // files and the old contents behind.
    static inline int StopAfterRenames = -1;

    struct TStaged {
        std::string Path, Target, Temporary;
        std::string Backup;  // the old contents, kept until the save is final
        std::uint64_t Size = 0, Hash = 0;  // of the new contents
    };

  private:
    friend void WriteFileAtomic(const std::string&, std::string_view);
    void Discard();
    std::vector<TStaged> staged_;
    bool active_ = false;
};

// What RecoverWriteGroups did in a folder.
struct TRecovery {
    std::vector<std::string> Notes;      // saves undone
    std::vector<std::string> Refusals;   // records that could not be settled
    bool Settled() const { return Refusals.empty(); }
};

// Settles the saves stopped during their commit (a kill, a power cut, a
// failure that could not be put back at once), as found by their commit
// records in Folder, holding the folder's lock (so no record there belongs
// to a save going on, whatever its process id): each file the save renamed
// gets its old contents back and its staged files go, unless the save was
// made final in its first folder, when only its leftovers go. It acts only
// on Folder's own files, by the bare names its record gives, each temporary
// exactly "<target>.tmp~<pid>-<n>" of the record's process. A record that is
// damaged, cannot be read, names anything else, whose file changed since,
// whose other folder is not there or that cannot be settled is left as it is
// and refused: the folder's files are then not to be read or written. Called
// at start-up, before the files of the folder are read.
TRecovery RecoverWriteGroups(const std::string& Folder);

// The file a write to Path lands in: symbolic links followed to their end
// (a link to nothing gives the name it points at).
std::string WriteTarget(const std::string& Path);

// False when Path (its links followed) is there and is no regular file: a
// device, a pipe, a folder. Such a target is written in place or refused by
// WriteFileAtomic, never replaced.
bool IsRegularFileOrAbsent(const std::string& Path);
// Path leads to a file that is not to be written over: one nobody may write,
// or this process may not.
bool WriteProtected(const std::string& Path);

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
