// The temporary files of this process, kept by descriptor.
//
// OrvUtil::createTempFile makes each file with mkostemp (mode 0600,
// O_CLOEXEC) and keeps the descriptor here under the file's name.  From
// then on the file is never opened by name again: commands get the
// descriptor as their standard output and error, readers read through it
// (OrvInFile, orvReadFile), writers write through it, and OrvUnlink closes
// it.  Whatever someone later puts at that name in the directory (a link,
// a FIFO, another file) is never opened.

#ifndef FOUNDATION_TEMP_FILES_H_
#define FOUNDATION_TEMP_FILES_H_

#include <string>

namespace orv_temp {

// Keeps fd for path (an earlier entry of that name is closed first).
void keep(const std::string& path, int fd);
// The kept descriptor of path, -1 when path is not one of ours.
int descriptorOf(const std::string& path);
// Empties the file (truncated, offset 0) for the next command's output.
bool reset(int fd);
// The cheaper pair for a command's output: rewind() before it, endHere()
// after it cuts what an earlier, longer output left beyond the offset.
// Shortening a file is a costly metadata change; a file that only grows
// or keeps its length needs none.
bool rewind(int fd);
bool endHere(int fd);
// The whole content, read from offset 0 without moving the offset.
bool readAll(int fd, std::string& content);
// Appends text.
bool append(int fd, const std::string& text);
// Writes all of text at fd's offset (retrying short writes and EINTR).
bool writeAll(int fd, const std::string& text);
// Closes the descriptor of path; true when path was one of ours.
bool forget(const std::string& path);
// Removes every kept file (name and descriptor): the stop path.
void removeAll();

}  // namespace orv_temp

#endif  // FOUNDATION_TEMP_FILES_H_
