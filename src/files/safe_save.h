#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "common/text_sink.h"
#include "files/save_registry.h"

// Saving files so that none is ever left half written, and the outputs of one piece of work all or
// none: each file's text goes to a temporary file in its folder and onto the disk, and the
// temporary files are renamed over their targets only after every write, flush and close of every
// one of them has succeeded; then the folders go to the disk too. Either a target holds the
// complete new text, also after a power loss, or it is as it was.

namespace zev {

struct SaveResult {
  std::error_code error;  // the system's reason when the save failed; empty on success
  std::string target;     // on failure, the output that could not be saved, as it was named
  // When the file could not be made in its folder (the folder's permissions, a read-only disk):
  // that folder, since it is what needs the fix.
  std::string folder;

  bool ok() const { return !error; }
  std::string reason() const { return error.message(); }
};

// A failed save in one line: "TARGET: REASON", or "TARGET: cannot make a file in the folder
// FOLDER: REASON", the names as printableName shows them.
std::string describeSaveFailure(const SaveResult& result);

// What a save to a path would write.
struct SaveDestination {
  enum class Kind {
    NewFile,       // nothing is there yet: the save creates `file`
    ExistingFile,  // a regular file: the save replaces `file`
    SharedFile,    // a regular file with other names (hard links): the save writes into `file`,
                   // so that every name keeps it
    Stream,        // a device, FIFO or socket, or one of the process's own streams: the save
                   // writes into it, as opening it would
    Folder,        // a folder: the save fails
    Unknown,       // the system cannot tell what is there; `error` says why
  };
  Kind kind = Kind::Unknown;
  // The file that is created or replaced: the path itself, or the file a link names, also when
  // the link dangles, as opening the link for writing would create it. For a stream, the path.
  std::filesystem::path file;
  std::error_code error;
  std::optional<int> descriptor;  // one of the process's own streams: written through it
};
SaveDestination saveDestinationOf(const std::filesystem::path& path);

using SaveWriter = std::function<void(TextSink& sink)>;

// The outputs of one piece of work, saved together. Nothing is written before commit().
class OutputSet {
 public:
  // registry: the program's, which a stop by signal empties; null for one of the set's own.
  explicit OutputSet(SaveRegistry* registry = nullptr);
  ~OutputSet();
  OutputSet(const OutputSet&) = delete;
  OutputSet& operator=(const OutputSet&) = delete;

  // A file by its path. A regular file or a new one is saved through a temporary file beside it
  // (through a link, beside the file the link names) and gets the mode, owner and group of the
  // file it replaces where the system lets it, or the usual ones for a new file; a file the user
  // may not write, or that no one may, keeps its content and the save fails. A file with other
  // names gets the prepared text written into it. A device, FIFO or socket, and a name of one of
  // the process's own streams (/dev/stdout), is written into as a stream and never replaced; a
  // folder fails with "Is a directory".
  void addFile(std::filesystem::path path, SaveWriter write);
  // A stream the caller owns, such as standard output, named for messages; it is flushed, not
  // closed.
  void addStream(std::string name, StreamSink& stream, SaveWriter write);

  // Clears each target's folder of this program's temporary files that runs stopped beyond
  // cleaning up (SIGKILL, a power loss) left there more than a minute ago; prepares every file in
  // its temporary file, on the disk; writes the streams; then, with the registry held, writes the
  // files with other names and renames the temporary files over their targets; and at the end
  // brings their folders to the disk. On the first failure it stops: no temporary file is left
  // and no target replaced, and the result names that output. Only a write or rename refused
  // after others succeeded (which the checks before make unlikely) leaves those others saved; each
  // renamed file is still whole. A stream written before a later failure keeps what it was sent.
  SaveResult commit();

 private:
  struct Output;
  SaveResult prepare(Output& output);
  std::error_code putInPlace(Output& output);
  void removeTemporaryFiles();

  SaveRegistry ownRegistry_;
  SaveRegistry& registry_;
  std::vector<Output> outputs_;
};

// One file, as an OutputSet of one.
SaveResult saveThroughTemporaryFile(const std::filesystem::path& path, const SaveWriter& write);

}  // namespace zev
