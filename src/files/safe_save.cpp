#include "files/safe_save.h"

#include <chrono>
#include <cstdio>
#include <utility>

#include "files/file_system.h"

namespace zev {

namespace fs = std::filesystem;

namespace {

// As many links in a row as the system itself follows before it gives up.
constexpr int MAX_LINKS_FOLLOWED = 40;

// The file that opening path for writing would create: path itself, or the file at the end of a
// dangling link (relative links count from the link's folder).
fs::path fileCreatedThrough(const fs::path& path) {
  fs::path file = path;
  for (int followed = 0; followed < MAX_LINKS_FOLLOWED; ++followed) {
    std::error_code error;
    if (!fs::is_symlink(file, error)) break;
    const fs::path named = fs::read_symlink(file, error);
    if (error) break;
    file = named.is_absolute() ? named : file.parent_path() / named;
  }
  return file;
}

// Saving over a link replaces the file it points to, as writing through the link would.
fs::path fileReplacedThrough(const fs::path& path) {
  std::error_code error;
  if (fs::is_symlink(path, error)) {
    fs::path resolved = fs::canonical(path, error);
    if (!error) return resolved;
  }
  return path;
}

// A short name of its own in the target's folder, created only where no file has it yet, so a long
// target name still leaves room for it. Concurrent saves into one folder each get their own.
std::FILE* createTemporary(const fs::path& target, fs::path& temporary, std::error_code& error) {
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count() % 1000000007;
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = target.parent_path() /
                (".zev-" + std::to_string(stamp) + "-" + std::to_string(attempt) + ".tmp");
    if (std::FILE* file = createNewFile(temporary)) return file;
    error = lastSystemError();
    if (error != std::errc::file_exists) return nullptr;
  }
  return nullptr;
}

std::error_code writeAndClose(std::FILE* file, const SaveWriter& write) {
  FileSink sink(file);
  write(sink);
  std::error_code error = sink.error();
  if (std::fflush(file) != 0 && !error) error = lastSystemError();
  if (std::fclose(file) != 0 && !error) error = lastSystemError();
  return error;
}

}  // namespace

SaveDestination saveDestinationOf(const fs::path& path) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  switch (status.type()) {
    case fs::file_type::regular:
      return {SaveDestination::Kind::ExistingFile, fileReplacedThrough(path), {}};
    case fs::file_type::not_found:
      return {SaveDestination::Kind::NewFile, fileCreatedThrough(path), {}};
    case fs::file_type::directory:
      return {SaveDestination::Kind::Folder, path, {}};
    case fs::file_type::none:
      return {SaveDestination::Kind::Unknown, path, error};
    default:
      return {SaveDestination::Kind::Stream, path, {}};
  }
}

struct OutputSet::Output {
  std::string name;
  SaveWriter write;
  fs::path path;                 // empty for the caller's stream
  StreamSink* stream = nullptr;  // the caller's stream
  bool streamAtPath = false;     // a device, FIFO or socket at path
  fs::path target;               // what the temporary file replaces
  fs::path temporary;            // while it waits for its rename
};

OutputSet::OutputSet() = default;

OutputSet::~OutputSet() { removeTemporaryFiles(); }

void OutputSet::addFile(fs::path path, SaveWriter write) {
  Output& output = outputs_.emplace_back();
  output.name = path.string();
  output.write = std::move(write);
  output.path = std::move(path);
}

void OutputSet::addStream(std::string name, StreamSink& stream, SaveWriter write) {
  Output& output = outputs_.emplace_back();
  output.name = std::move(name);
  output.write = std::move(write);
  output.stream = &stream;
}

SaveResult OutputSet::prepare(Output& output) {
  const auto failed = [&output](std::error_code error) { return SaveResult{error, output.name}; };
  const SaveDestination destination = saveDestinationOf(output.path);
  switch (destination.kind) {
    case SaveDestination::Kind::Unknown:
      return failed(destination.error);
    case SaveDestination::Kind::Folder:
      return failed(std::make_error_code(std::errc::is_a_directory));
    case SaveDestination::Kind::Stream:
      output.streamAtPath = true;
      return {};
    case SaveDestination::Kind::ExistingFile:
      // A file the user may not write keeps its content, as when opening it for writing fails:
      // the rename would replace it with the folder's permission alone.
      if (std::error_code refused = writeAccess(destination.file)) return failed(refused);
      break;
    case SaveDestination::Kind::NewFile:
      break;
  }
  output.target = destination.file;
  std::error_code error;
  std::FILE* file = createTemporary(output.target, output.temporary, error);
  if (file == nullptr) {
    output.temporary.clear();
    return failed(error);
  }
  // The new file keeps the permissions of the one it replaces where the file system allows it.
  const fs::file_status replaced = fs::status(output.target, error);
  if (!error && fs::is_regular_file(replaced)) {
    fs::permissions(output.temporary, replaced.permissions(), error);
  }
  if (std::error_code written = writeAndClose(file, output.write)) return failed(written);
  return {};
}

SaveResult OutputSet::commit() {
  const auto stop = [this](const Output& output, std::error_code error) {
    removeTemporaryFiles();
    return SaveResult{error, output.name};
  };
  for (Output& output : outputs_) {
    if (output.stream != nullptr) continue;
    const SaveResult prepared = prepare(output);
    if (!prepared.ok()) return stop(output, prepared.error);
  }
  // Bytes sent into a stream cannot be taken back, so the streams come when every file is ready.
  for (Output& output : outputs_) {
    if (output.stream != nullptr) {
      output.write(*output.stream);
      if (std::error_code error = output.stream->flush()) return stop(output, error);
    } else if (output.streamAtPath) {
      std::FILE* file = openFile(output.path, "wb");
      if (file == nullptr) return stop(output, lastSystemError());
      if (std::error_code error = writeAndClose(file, output.write)) return stop(output, error);
    }
  }
  for (Output& output : outputs_) {
    if (output.temporary.empty()) continue;
    if (std::error_code error = replaceFile(output.temporary, output.target)) {
      return stop(output, error);
    }
    output.temporary.clear();
  }
  return {};
}

void OutputSet::removeTemporaryFiles() {
  for (Output& output : outputs_) {
    if (output.temporary.empty()) continue;
    std::error_code ignored;
    fs::remove(output.temporary, ignored);
    output.temporary.clear();
  }
}

SaveResult saveThroughTemporaryFile(const fs::path& path, const SaveWriter& write) {
  OutputSet output;
  output.addFile(path, write);
  return output.commit();
}

}  // namespace zev
