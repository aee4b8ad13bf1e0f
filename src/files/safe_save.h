#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <system_error>
#include <vector>

#include "common/text_sink.h"

// Saving files so that none is ever left half written, and the outputs of one piece of work all or
// none: each file's text goes to a temporary file in its folder, and the temporary files are
// renamed over their targets only after every write, flush and close of every one of them has
// succeeded. Either a target holds the complete new text, or it is as it was.

namespace zev {

struct SaveResult {
  std::error_code error;  // the system's reason when the save failed; empty on success
  std::string target;     // on failure, the output that could not be saved, as it was named

  bool ok() const { return !error; }
  std::string reason() const { return error.message(); }
};

// What a save to a path would write.
struct SaveDestination {
  enum class Kind {
    NewFile,       // nothing is there yet: the save creates `file`
    ExistingFile,  // a regular file: the save replaces `file`
    Stream,        // a device, FIFO or socket: the save writes into it, as opening it would
    Folder,        // a folder: the save fails
    Unknown,       // the system cannot tell what is there; `error` says why
  };
  Kind kind = Kind::Unknown;
  // The file that is created or replaced: the path itself, or the file a link names, also when
  // the link dangles, as opening the link for writing would create it. For a stream, the path.
  std::filesystem::path file;
  std::error_code error;
};
SaveDestination saveDestinationOf(const std::filesystem::path& path);

using SaveWriter = std::function<void(TextSink& sink)>;

// The outputs of one piece of work, saved together. Nothing is written before commit().
class OutputSet {
 public:
  OutputSet();
  ~OutputSet();
  OutputSet(const OutputSet&) = delete;
  OutputSet& operator=(const OutputSet&) = delete;

  // A file by its path. A regular file or a new one is saved through a temporary file beside it
  // (through a link, beside the file the link names) and gets the permissions of the file it
  // replaces, or the usual ones for a new file; a file the user may not write keeps its content
  // and the save fails, as opening it for writing would. A device, FIFO or socket is written
  // into as a stream and never replaced; a folder fails with "Is a directory".
  void addFile(std::filesystem::path path, SaveWriter write);
  // A stream the caller owns, such as standard output, named for messages; it is flushed, not
  // closed.
  void addStream(std::string name, StreamSink& stream, SaveWriter write);

  // Prepares every file in its temporary file, then writes the streams, then renames the
  // temporary files over their targets. On the first failure it stops: no temporary file is left
  // and no target replaced, and the result names that output. Only a rename refused after others
  // succeeded (which the checks before make unlikely) leaves those others saved; each file is still
  // whole. A stream written before a later failure keeps what it was sent.
  SaveResult commit();

 private:
  struct Output;
  SaveResult prepare(Output& output);
  void removeTemporaryFiles();

  std::vector<Output> outputs_;
};

// One file, as an OutputSet of one.
SaveResult saveThroughTemporaryFile(const std::filesystem::path& path, const SaveWriter& write);

}  // namespace zev
