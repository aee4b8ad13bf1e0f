// What the converter for node needs of files beyond what emscripten's direct access to the disk
// (NODERAWFS) gives it, so that it saves as the native converter does.
mergeInto(LibraryManager.library, {
  // fsync brings a file or a folder to the disk; emscripten's own does nothing for files on the
  // machine's disk.
  fd_sync__deps: ['$FS', '$ERRNO_CODES'],
  fd_sync__sig: 'ii',
  fd_sync: function(fd) {
    var stream = FS.getStream(fd);
    if (!stream) return {{{ cDefine('EBADF') }}};
    try {
      fs.fsyncSync(stream.nfd);
      return 0;
    } catch (e) {
      return (e.code && ERRNO_CODES[e.code]) || {{{ cDefine('EIO') }}};
    }
  },

  // Called once at the start of main.
  zev_prepare_node_files__deps: ['$FS'],
  zev_prepare_node_files: function() {
    // A pipe, FIFO or device is written where it stands: emscripten would write each piece at
    // the position it counts, which such a file refuses ("Invalid seek").
    var open = FS.open;
    FS.open = function() {
      var stream = open.apply(this, arguments);
      if (stream.node && !FS.isFile(stream.node.mode)) stream.seekable = false;
      return stream;
    };
    // Node puts the null device, opened for reading and writing, in the place of a standard
    // output that was closed when it started; a shell opens it for writing alone. Writes to a
    // closed standard output must fail ("Bad file descriptor"), as they do for the native
    // converter, instead of vanishing.
    try {
      var out = fs.fstatSync(1);
      var flags = /^flags:\s*([0-7]+)$/m.exec(fs.readFileSync('/proc/self/fdinfo/1', 'utf8'));
      var readWrite = flags && (parseInt(flags[1], 8) & 3) === 2;
      if (readWrite && out.isCharacterDevice() && out.rdev === fs.statSync('/dev/null').rdev) {
        FS.closeStream(1);
      }
    } catch (e) {
      // A system without /proc: standard output is taken as it is.
    }
  },
});
