#include "files/safe_save.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <random>
#include <utility>

#include "common/printable_name.h"
#include "files/file_system.h"

namespace zev {

namespace fs = std::filesystem;

namespace {

// As many links in a row as the system itself follows before it gives up.
constexpr int MAX_LINKS_FOLLOWED = 40;

// A temporary file's name: short, so that a long target name still leaves room for it, and of a
// form no other program uses, so that a later run knows its own leftovers.
constexpr std::string_view TEMPORARY_PREFIX = ".zev-save-";
constexpr std::string_view TEMPORARY_SUFFIX = ".tmp";
constexpr std::size_t TEMPORARY_DIGITS = 16;

// A temporary file lives for well under a second, unless its save waits for a slow stream; one a
// minute old belongs to a run that was stopped before it could remove it.
constexpr auto LEFTOVER_AGE = std::chrono::minutes(1);

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

// A path as the program holds names, in UTF-8 on every system (string() would give the system's
// narrow encoding on Windows).
std::string utf8Of(const fs::path& path) {
  const std::u8string name = path.u8string();
  return {name.begin(), name.end()};
}

fs::path folderOf(const fs::path& file) {
  return file.has_parent_path() ? file.parent_path() : fs::path(".");
}

std::string temporaryName(std::uint64_t number) {
  static constexpr std::string_view DIGITS = "0123456789abcdef";
  std::string name(TEMPORARY_PREFIX);
  for (std::size_t digit = TEMPORARY_DIGITS; digit-- > 0;) {
    name.push_back(DIGITS[number >> (4 * digit) & 0xF]);
  }
  return name.append(TEMPORARY_SUFFIX);
}

// A name of its own in the target's folder, created only where no file has it yet: concurrent
// saves into one folder, of this program or another run of it, each get their own.
std::FILE* createTemporary(const fs::path& target, fs::path& temporary, std::error_code& error) {
  std::random_device device;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::uint64_t number = std::uint64_t{device()} << 32 | device();
    temporary = target.parent_path() / temporaryName(number);
    if (std::FILE* file = createNewFile(temporary)) return file;
    error = lastSystemError();
    if (error != std::errc::file_exists) return nullptr;
  }
  return nullptr;
}

// The folder, rather than the file, refused the new file.
bool folderRefused(std::error_code error) {
  return error == std::errc::permission_denied || error == std::errc::operation_not_permitted ||
         error == std::errc::read_only_file_system;
}

// Whether name is one this program gives its temporary files.
bool isTemporaryFileName(std::string_view name) {
  if (name.size() != TEMPORARY_PREFIX.size() + TEMPORARY_DIGITS + TEMPORARY_SUFFIX.size() ||
      !name.starts_with(TEMPORARY_PREFIX) || !name.ends_with(TEMPORARY_SUFFIX)) {
    return false;
  }
  const std::string_view digits = name.substr(TEMPORARY_PREFIX.size(), TEMPORARY_DIGITS);
  return digits.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

void removeLeftovers(const fs::path& folder) {
  std::error_code error;
  const auto now = fs::file_time_type::clock::now();
  for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
       entry.increment(error)) {
    std::error_code ignored;
    if (!isTemporaryFileName(utf8Of(entry->path().filename())) ||
        !entry->is_regular_file(ignored)) {
      continue;
    }
    const auto written = entry->last_write_time(ignored);
    if (!ignored && now - written > LEFTOVER_AGE) fs::remove(entry->path(), ignored);
  }
}

std::error_code writeAndClose(std::FILE* file, const SaveWriter& write, bool toDisk) {
  FileSink sink(file);
  write(sink);
  std::error_code error = sink.error();
  if (std::fflush(file) != 0 && !error) error = lastSystemError();
  if (toDisk && !error) error = flushToDisk(file);
  if (std::fclose(file) != 0 && !error) error = lastSystemError();
  return error;
}

// The prepared text into the file with other names, from its start, to the disk.
std::error_code copyInto(const fs::path& from, const fs::path& to) {
  std::FILE* source = openFile(from, "rb");
  if (source == nullptr) return lastSystemError();
  std::FILE* target = openFile(to, "wb");
  if (target == nullptr) {
    const std::error_code error = lastSystemError();
    std::fclose(source);
    return error;
  }
  const std::error_code error = writeAndClose(
      target,
      [source](TextSink& sink) {
        std::array<char, 1 << 16> block;
        while (const std::size_t read = std::fread(block.data(), 1, block.size(), source)) {
          sink.write(std::string_view(block.data(), read));
        }
      },
      true);
  const bool readFailed = std::ferror(source) != 0;
  std::fclose(source);
  if (readFailed && !error) return std::make_error_code(std::errc::io_error);
  return error;
}

}  // namespace

std::string describeSaveFailure(const SaveResult& result) {
  std::string text = printableName(result.target) + ": ";
  if (!result.folder.empty()) {
    text += "cannot make a file in the folder " + printableName(result.folder) + ": ";
  }
  return text + result.reason();
}

SaveDestination saveDestinationOf(const fs::path& path) {
  if (const std::optional<int> descriptor = ownStreamOf(path)) {
    return {SaveDestination::Kind::Stream, path, {}, descriptor};
  }
  if (isNullDevice(path)) return {SaveDestination::Kind::Stream, path, {}, std::nullopt};
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  switch (status.type()) {
    case fs::file_type::regular: {
      const fs::path file = fileReplacedThrough(path);
      const bool shared = linkCount(file) > 1;
      return {shared ? SaveDestination::Kind::SharedFile : SaveDestination::Kind::ExistingFile,
              file,
              {},
              std::nullopt};
    }
    case fs::file_type::not_found:
      return {SaveDestination::Kind::NewFile, fileCreatedThrough(path), {}, std::nullopt};
    case fs::file_type::directory:
      return {SaveDestination::Kind::Folder, path, {}, std::nullopt};
    case fs::file_type::none:
      return {SaveDestination::Kind::Unknown, path, error, std::nullopt};
    default:
      return {SaveDestination::Kind::Stream, path, {}, std::nullopt};
  }
}

struct OutputSet::Output {
  std::string name;
  SaveWriter write;
  fs::path path;                  // empty for the caller's stream
  StreamSink* stream = nullptr;   // the caller's stream
  bool streamAtPath = false;      // a device, FIFO or socket at path
  std::optional<int> descriptor;  // the process's own stream that path names
  bool inPlace = false;           // the target has other names: written into, not replaced
  fs::path target;                // what the temporary file replaces
  fs::path temporary;             // while it waits for its rename
};

OutputSet::OutputSet(SaveRegistry* registry)
    : registry_(registry != nullptr ? *registry : ownRegistry_) {}

OutputSet::~OutputSet() { removeTemporaryFiles(); }

void OutputSet::addFile(fs::path path, SaveWriter write) {
  Output& output = outputs_.emplace_back();
  output.name = utf8Of(path);
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
  const auto failed = [&output](std::error_code error) {
    return SaveResult{error, output.name, {}};
  };
  const SaveDestination destination = saveDestinationOf(output.path);
  switch (destination.kind) {
    case SaveDestination::Kind::Unknown:
      return failed(destination.error);
    case SaveDestination::Kind::Folder:
      return failed(std::make_error_code(std::errc::is_a_directory));
    case SaveDestination::Kind::Stream:
      output.streamAtPath = true;
      output.descriptor = destination.descriptor;
      return {};
    case SaveDestination::Kind::SharedFile:
    case SaveDestination::Kind::ExistingFile:
      // A file the user may not write keeps its content, as when opening it for writing fails:
      // the rename would replace it with the folder's permission alone.
      if (std::error_code refused = writeAccess(destination.file)) return failed(refused);
      output.inPlace = destination.kind == SaveDestination::Kind::SharedFile;
      break;
    case SaveDestination::Kind::NewFile:
      break;
  }
  output.target = destination.file;
  const fs::path folder = folderOf(output.target);
  std::error_code error;
  std::FILE* file = nullptr;
  {
    const auto held = registry_.hold();
    if (registry_.firstVisit(folder)) removeLeftovers(folder);
    file = createTemporary(output.target, output.temporary, error);
    if (file != nullptr) registry_.add(output.temporary);
  }
  if (file == nullptr) {
    output.temporary.clear();
    SaveResult result = failed(error);
    if (folderRefused(error)) {
      result.folder = utf8Of(fs::absolute(folder, error).lexically_normal());
    }
    return result;
  }
  if (destination.kind != SaveDestination::Kind::NewFile) takeOwnerAndMode(file, output.target);
  if (std::error_code written = writeAndClose(file, output.write, true)) return failed(written);
  return {};
}

// With the registry held: the target gets the prepared text, and the temporary file is gone.
std::error_code OutputSet::putInPlace(Output& output) {
  if (output.inPlace) {
    if (std::error_code error = copyInto(output.temporary, output.target)) return error;
    std::error_code ignored;
    fs::remove(output.temporary, ignored);
  } else if (std::error_code error = replaceFile(output.temporary, output.target)) {
    return error;
  }
  registry_.forget(output.temporary);
  output.temporary.clear();
  return {};
}

SaveResult OutputSet::commit() {
  const auto stop = [this](const Output& output, std::error_code error) {
    removeTemporaryFiles();
    return SaveResult{error, output.name, {}};
  };
  for (Output& output : outputs_) {
    if (output.stream != nullptr) continue;
    const SaveResult prepared = prepare(output);
    if (!prepared.ok()) {
      removeTemporaryFiles();
      return prepared;
    }
  }
  // Bytes sent into a stream cannot be taken back, so the streams come when every file is ready.
  for (Output& output : outputs_) {
    if (output.stream != nullptr) {
      output.write(*output.stream);
      if (std::error_code error = output.stream->flush()) return stop(output, error);
    } else if (output.streamAtPath) {
      std::FILE* file =
          output.descriptor ? openDescriptor(*output.descriptor) : openFile(output.path, "wb");
      if (file == nullptr) return stop(output, lastSystemError());
      if (std::error_code error = writeAndClose(file, output.write, false)) {
        return stop(output, error);
      }
    }
  }
  Output* refused = nullptr;
  std::error_code refusal;
  {
    const auto held = registry_.hold();
    for (Output& output : outputs_) {
      if (output.temporary.empty()) continue;
      refusal = putInPlace(output);
      if (refusal) {
        refused = &output;
        break;
      }
    }
  }
  if (refused != nullptr) return stop(*refused, refusal);
  std::vector<fs::path> flushed;
  for (const Output& output : outputs_) {
    if (output.target.empty()) continue;
    const fs::path folder = folderOf(output.target);
    if (std::find(flushed.begin(), flushed.end(), folder) != flushed.end()) continue;
    if (std::error_code error = flushFolderToDisk(folder)) return stop(output, error);
    flushed.push_back(folder);
  }
  return {};
}

void OutputSet::removeTemporaryFiles() {
  const auto held = registry_.hold();
  for (Output& output : outputs_) {
    if (output.temporary.empty()) continue;
    std::error_code ignored;
    fs::remove(output.temporary, ignored);
    registry_.forget(output.temporary);
    output.temporary.clear();
  }
}

SaveResult saveThroughTemporaryFile(const fs::path& path, const SaveWriter& write) {
  OutputSet output;
  output.addFile(path, write);
  return output.commit();
}

}  // namespace zev
