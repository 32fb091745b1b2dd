// powercut_fs: a FUSE file system in memory that knows what a power cut would leave, for the tests
// that cut the power in the middle of a copy or a move.
//
// Every file and folder has two states: the one programs see now, and the one on the "disk",
// which is all that survives a cut. The model is the strict one POSIX promises and nothing more:
//   - A file's data (its size and bytes) and its permission bits reach the disk only at an fsync
//     or fdatasync of that file; then all of that file's current data is on disk.
//   - A change of names (create, mknod, link, rename, unlink, mkdir, rmdir) reaches the disk only
//     at an fsync of its folder (FUSE's fsyncdir); then all of that folder's current names are.
//     A rename between two folders is two changes, one per folder.
//   - A name on disk whose file was never synced holds the data last put on disk for it: nothing
//     at all for a file that was created and never synced.
// Real file systems are kinder: ext4 with data=ordered writes a file's data before the rename or
// the size that exposes it, and commits all name changes of a moment in one transaction. A
// program that is safe here is safe there; one that is safe only there is not safe everywhere.
//
// Real systems also write back on their own, in any order, whatever nobody synced. So besides the
// strict disk ("durable"), a dump writes one view for every set of the pending changes that may
// have reached the disk unasked: for each folder whose names changed unsynced, and each file whose
// data changed unsynced, the view takes either the state on disk or the state at the cut. That
// catches what the strict disk alone cannot: an unsynced delete of a source that reached the disk
// while the unsynced name of its copy did not.
//
// What the kernel and libfuse 3.14 here can do: FUSE_TMPFILE (O_TMPFILE) reaches a server only
// through a libfuse that knows it; this one answers ENOSYS, the kernel then fails O_TMPFILE with
// EOPNOTSUPP, and a program falls back to a named temporary file. FICLONE never reaches a FUSE
// server (the kernel refuses it: FUSE has no clone). copy_file_range is served unless
// --no-copy-file-range is given; then the kernel copies through FUSE writes, or the program reads
// and writes itself.
//
// Requests that change something or sync it are counted (create, mknod, mkdir, link, unlink,
// rmdir, rename, write, setattr, fallocate, copy_file_range, fsync, fsyncdir, and an open that
// truncates). With a cut point set, the request after the cut point finds the power gone: it and
// every later request of any kind fails with EIO, as a disk that went away would.
//
// Commands on standard input, one a line, each answered on standard output:
//   settle      everything as it stands now reaches the disk (files written long ago)  -> "settled"
//   arm [K]     counting starts again from 0; with K, the power goes after the K-th counted
//               request                                                                 -> "armed"
//   dump DIR    cuts the power now (if it is still on) and writes into DIR, which must exist:
//               view-N/ for each distinct view of what survives (view-0 is the strict disk),
//               views.txt ("view-N<TAB>what reached the disk unasked"), operations.txt (the
//               counted requests, one a line)                    -> "dumped OPERATIONS VIEWS"
// Usage: powercut_fs [--lifetime SECONDS] [--no-copy-file-range] [--max-write BYTES] MOUNTPOINT
// Runs in the foreground, one request at a time. When standard input closes or the lifetime has
// passed, it detaches the mount and exits. Exit codes: 0 ended, 1 bad use or failure, 2 the mount
// was refused, 3 the lifetime ran out.
#define FUSE_USE_VERSION 312
#include <fcntl.h>
#include <fuse_lowlevel.h>
#include <linux/falloc.h>
#include <linux/fs.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "fuse_commands.h"

namespace {

using Names = std::map<std::string, fuse_ino_t>;

struct Node {
  fuse_ino_t ino = 0;
  mode_t mode = 0;  // with the type bits
  uid_t uid = 0;
  gid_t gid = 0;
  timespec atime{};
  timespec mtime{};
  timespec ctime{};
  nlink_t links = 0;  // names leading here now
  // A folder's own place now, for "..", for naming it in the log and for rmdir's checks.
  fuse_ino_t parent = 0;
  std::string name;
  // What programs see now.
  std::string data;
  Names names;
  // What is on the disk.
  std::string durable_data;
  mode_t durable_mode = 0;
  Names durable_names;

  bool folder() const { return S_ISDIR(mode); }
};

std::mutex g_mutex;  // the loop's one thread and the command thread
std::map<fuse_ino_t, Node> g_nodes;
fuse_ino_t g_next_ino = FUSE_ROOT_ID + 1;
bool g_powered = true;
std::optional<unsigned long> g_cut_after;  // counted requests that still reach the disk
unsigned long g_counted = 0;
std::vector<std::string> g_log;
unsigned g_max_write = 0;

fuse_session* g_session = nullptr;
std::string g_mount_point;
pthread_t g_loop_thread{};
std::atomic<bool> g_loop_over = false;
std::atomic<int> g_leave_code = -1;  // set once the command thread asked the loop to end

timespec Now() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return now;
}

Node* Find(fuse_ino_t ino) {
  const auto found = g_nodes.find(ino);
  return found == g_nodes.end() ? nullptr : &found->second;
}

Node& NewNode(mode_t mode, const fuse_ctx* context) {
  Node& node = g_nodes[g_next_ino];
  node.ino = g_next_ino++;
  node.mode = mode;
  node.durable_mode = mode;
  node.uid = context->uid;
  node.gid = context->gid;
  node.atime = node.mtime = node.ctime = Now();
  return node;
}

std::string FolderPath(fuse_ino_t ino) {
  std::string path;
  for (const Node* node = Find(ino); node != nullptr && node->ino != FUSE_ROOT_ID;
       node = Find(node->parent)) {
    path = "/" + node->name + path;
  }
  return path.empty() ? "/" : path;
}

std::string PathIn(fuse_ino_t parent, const char* name) {
  const std::string folder = FolderPath(parent);
  return (folder == "/" ? "" : folder) + "/" + name;
}

// Whether a request may be served: once the power is gone, nothing is.
bool Powered(fuse_req_t request) {
  if (g_powered) return true;
  fuse_reply_err(request, EIO);
  return false;
}

// A request that changes something or syncs it: counted, and the one past the cut point takes
// the power with it.
bool Change(fuse_req_t request, const std::string& what) {
  if (!Powered(request)) return false;
  if (g_cut_after && g_counted >= *g_cut_after) {
    g_powered = false;
    fuse_reply_err(request, EIO);
    return false;
  }
  ++g_counted;
  g_log.push_back(what);
  return true;
}

struct stat AttributesOf(const Node& node) {
  struct stat attributes {};
  attributes.st_ino = node.ino;
  attributes.st_mode = node.mode;
  attributes.st_nlink = node.folder() ? 2 : node.links;
  attributes.st_uid = node.uid;
  attributes.st_gid = node.gid;
  attributes.st_size = static_cast<off_t>(node.folder() ? 4096 : node.data.size());
  attributes.st_blksize = 4096;
  attributes.st_blocks = (attributes.st_size + 511) / 512;  // no holes
  attributes.st_atim = node.atime;
  attributes.st_mtim = node.mtime;
  attributes.st_ctim = node.ctime;
  return attributes;
}

// A name to add in a folder: the folder must be one, and the name free.
int CheckNewName(fuse_ino_t parent, const char* name) {
  Node* folder = Find(parent);
  if (folder == nullptr) return ENOENT;
  if (!folder->folder()) return ENOTDIR;
  if (std::strlen(name) > 255) return ENAMETOOLONG;
  if (folder->names.count(name) != 0) return EEXIST;
  return 0;
}

void AddName(Node& folder, const std::string& name, Node& node) {
  folder.names[name] = node.ino;
  ++node.links;
  if (node.folder()) {
    node.parent = folder.ino;
    node.name = name;
  }
  folder.mtime = folder.ctime = Now();
}

void RemoveName(Node& folder, const std::string& name) {
  const auto found = folder.names.find(name);
  Node* node = Find(found->second);
  if (node != nullptr && node->links > 0) --node->links;
  if (node != nullptr) node->ctime = Now();
  folder.names.erase(found);
  folder.mtime = folder.ctime = Now();
}

// ---- Requests.

void Init(void*, fuse_conn_info* connection) {
  // Every write reaches the server as it happens: no write-back cache in the kernel.
  connection->want &= ~FUSE_CAP_WRITEBACK_CACHE;
  if (g_max_write > 0) connection->max_write = g_max_write;
}

// The node the name stands for in the folder; nullptr when there is none, with the error sent.
Node* ChildOf(fuse_req_t request, Node* folder, const char* name) {
  if (folder == nullptr || !folder->folder()) {
    fuse_reply_err(request, ENOTDIR);
    return nullptr;
  }
  const auto found = folder->names.find(name);
  if (found == folder->names.end()) {
    fuse_reply_err(request, ENOENT);
    return nullptr;
  }
  return Find(found->second);
}

void Lookup(fuse_req_t request, fuse_ino_t parent, const char* name) {
  const std::lock_guard lock(g_mutex);
  if (!Powered(request)) return;
  if (const Node* node = ChildOf(request, Find(parent), name)) {
    vantrel::testing::ReplyEntry(request, *node, AttributesOf);
  }
}

// Nodes are never freed: a file without names may still be named on the disk.
void Forget(fuse_req_t request, fuse_ino_t, uint64_t) {
  fuse_reply_none(request);
}

void GetAttributes(fuse_req_t request, fuse_ino_t ino, fuse_file_info*) {
  const std::lock_guard lock(g_mutex);
  if (!Powered(request)) return;
  vantrel::testing::ReplyAttributes(request, Find(ino), AttributesOf);
}

void SetAttributes(fuse_req_t request, fuse_ino_t ino, struct stat* wanted, int to_set,
                   fuse_file_info*) {
  const std::lock_guard lock(g_mutex);
  Node* node = Find(ino);
  if (node == nullptr) {
    if (Powered(request)) fuse_reply_err(request, ENOENT);
    return;
  }
  std::string what = "setattr " + std::to_string(ino);
  if (to_set & FUSE_SET_ATTR_MODE) what += " mode";
  if (to_set & (FUSE_SET_ATTR_UID | FUSE_SET_ATTR_GID)) what += " owner";
  if (to_set & FUSE_SET_ATTR_SIZE) what += " size=" + std::to_string(wanted->st_size);
  if (to_set & (FUSE_SET_ATTR_ATIME | FUSE_SET_ATTR_MTIME | FUSE_SET_ATTR_ATIME_NOW |
                FUSE_SET_ATTR_MTIME_NOW)) {
    what += " times";
  }
  if (!Change(request, what)) return;
  const timespec now = Now();
  if (to_set & FUSE_SET_ATTR_MODE) node->mode = (node->mode & S_IFMT) | (wanted->st_mode & 07777);
  if (to_set & FUSE_SET_ATTR_UID) node->uid = wanted->st_uid;
  if (to_set & FUSE_SET_ATTR_GID) node->gid = wanted->st_gid;
  if (to_set & FUSE_SET_ATTR_SIZE) {
    if (node->folder()) {
      fuse_reply_err(request, EISDIR);
      return;
    }
    node->data.resize(static_cast<std::size_t>(wanted->st_size));
    node->mtime = now;
  }
  if (to_set & FUSE_SET_ATTR_ATIME) node->atime = wanted->st_atim;
  if (to_set & FUSE_SET_ATTR_MTIME) node->mtime = wanted->st_mtim;
  if (to_set & FUSE_SET_ATTR_ATIME_NOW) node->atime = now;
  if (to_set & FUSE_SET_ATTR_MTIME_NOW) node->mtime = now;
  node->ctime = (to_set & FUSE_SET_ATTR_CTIME) ? wanted->st_ctim : now;
  const struct stat attributes = AttributesOf(*node);
  fuse_reply_attr(request, &attributes, 0);
}

// A new file or folder under a new name; nullptr when it was refused (the reply is sent).
Node* MakeNode(fuse_req_t request, fuse_ino_t parent, const char* name, mode_t mode,
               const char* verb) {
  if (!Powered(request)) return nullptr;
  if (const int error = CheckNewName(parent, name)) {
    fuse_reply_err(request, error);
    return nullptr;
  }
  if (!Change(request, std::string(verb) + " " + PathIn(parent, name))) return nullptr;
  Node& node = NewNode(mode, fuse_req_ctx(request));
  AddName(*Find(parent), name, node);
  return &node;
}

void MakeFileNode(fuse_req_t request, fuse_ino_t parent, const char* name, mode_t mode, dev_t) {
  const std::lock_guard lock(g_mutex);
  if (!S_ISREG(mode)) {
    if (Powered(request)) fuse_reply_err(request, EPERM);
    return;
  }
  if (Node* node = MakeNode(request, parent, name, mode, "mknod"))
    vantrel::testing::ReplyEntry(request, *node, AttributesOf);
}

void MakeFolder(fuse_req_t request, fuse_ino_t parent, const char* name, mode_t mode) {
  const std::lock_guard lock(g_mutex);
  if (Node* node = MakeNode(request, parent, name, S_IFDIR | (mode & 07777), "mkdir")) {
    vantrel::testing::ReplyEntry(request, *node, AttributesOf);
  }
}

void Create(fuse_req_t request, fuse_ino_t parent, const char* name, mode_t mode,
            fuse_file_info* info) {
  const std::lock_guard lock(g_mutex);
  if (Node* node = MakeNode(request, parent, name, S_IFREG | (mode & 07777), "create")) {
    fuse_entry_param entry{};
    entry.ino = node->ino;
    entry.attr = AttributesOf(*node);
    fuse_reply_create(request, &entry, info);
  }
}

void RemoveEntry(fuse_req_t request, fuse_ino_t parent, const char* name, bool folder_wanted) {
  const std::lock_guard lock(g_mutex);
  if (!Powered(request)) return;
  Node* folder = Find(parent);
  const Node* child = ChildOf(request, folder, name);
  if (child == nullptr) return;
  const Node& node = *child;
  if (folder_wanted && !node.folder()) {
    fuse_reply_err(request, ENOTDIR);
    return;
  }
  if (!folder_wanted && node.folder()) {
    fuse_reply_err(request, EISDIR);
    return;
  }
  if (folder_wanted && !node.names.empty()) {
    fuse_reply_err(request, ENOTEMPTY);
    return;
  }
  if (!Change(request, std::string(folder_wanted ? "rmdir " : "unlink ") + PathIn(parent, name))) {
    return;
  }
  RemoveName(*folder, name);
  fuse_reply_err(request, 0);
}

void Unlink(fuse_req_t request, fuse_ino_t parent, const char* name) {
  RemoveEntry(request, parent, name, false);
}

void RemoveFolder(fuse_req_t request, fuse_ino_t parent, const char* name) {
  RemoveEntry(request, parent, name, true);
}

// Whether `ino` is `folder` or inside it: a folder may not be moved into itself.
bool Inside(fuse_ino_t ino, fuse_ino_t folder) {
  for (const Node* node = Find(ino); node != nullptr; node = Find(node->parent)) {
    if (node->ino == folder) return true;
    if (node->ino == FUSE_ROOT_ID) break;
  }
  return false;
}

void Rename(fuse_req_t request, fuse_ino_t parent, const char* name, fuse_ino_t new_parent,
            const char* new_name, unsigned int flags) {
  const std::lock_guard lock(g_mutex);
  if (!Powered(request)) return;
  Node* from = Find(parent);
  Node* to = Find(new_parent);
  if (from == nullptr || to == nullptr || !from->folder() || !to->folder()) {
    fuse_reply_err(request, ENOTDIR);
    return;
  }
  if ((flags & ~RENAME_NOREPLACE) != 0) {
    fuse_reply_err(request, EINVAL);  // RENAME_EXCHANGE and RENAME_WHITEOUT are not served
    return;
  }
  const auto found = from->names.find(name);
  if (found == from->names.end()) {
    fuse_reply_err(request, ENOENT);
    return;
  }
  Node& node = *Find(found->second);
  const auto replaced = to->names.find(new_name);
  if (replaced != to->names.end()) {
    if (flags & RENAME_NOREPLACE) {
      fuse_reply_err(request, EEXIST);
      return;
    }
    if (replaced->second == node.ino) {  // two names of one file: nothing changes
      fuse_reply_err(request, 0);
      return;
    }
    const Node& old = *Find(replaced->second);
    if (old.folder() != node.folder()) {
      fuse_reply_err(request, old.folder() ? EISDIR : ENOTDIR);
      return;
    }
    if (old.folder() && !old.names.empty()) {
      fuse_reply_err(request, ENOTEMPTY);
      return;
    }
  }
  if (node.folder() && Inside(new_parent, node.ino)) {
    fuse_reply_err(request, EINVAL);
    return;
  }
  if (!Change(request, "rename " + PathIn(parent, name) + " " + PathIn(new_parent, new_name))) {
    return;
  }
  if (replaced != to->names.end()) RemoveName(*to, new_name);
  RemoveName(*from, name);
  AddName(*to, new_name, node);
  fuse_reply_err(request, 0);
}

void Link(fuse_req_t request, fuse_ino_t ino, fuse_ino_t new_parent, const char* new_name) {
  const std::lock_guard lock(g_mutex);
  if (!Powered(request)) return;
  Node* node = Find(ino);
  if (node == nullptr || node->folder()) {
    fuse_reply_err(request, node == nullptr ? ENOENT : EPERM);
    return;
  }
  if (const int error = CheckNewName(new_parent, new_name)) {
    fuse_reply_err(request, error);
    return;
  }
  if (!Change(request, "link " + std::to_string(ino) + " " + PathIn(new_parent, new_name))) return;
  AddName(*Find(new_parent), new_name, *node);
  node->ctime = Now();
  vantrel::testing::ReplyEntry(request, *node, AttributesOf);
}

void Open(fuse_req_t request, fuse_ino_t ino, fuse_file_info* info) {
  const std::lock_guard lock(g_mutex);
  if (!Powered(request)) return;
  Node* node = Find(ino);
  if (node == nullptr || node->folder()) {
    fuse_reply_err(request, node == nullptr ? ENOENT : EISDIR);
    return;
  }
  if ((info->flags & O_TRUNC) && (info->flags & O_ACCMODE) != O_RDONLY) {
    if (!Change(request, "open-truncate " + std::to_string(ino))) return;
    node->data.clear();
    node->mtime = node->ctime = Now();
  }
  fuse_reply_open(request, info);
}

void Read(fuse_req_t request, fuse_ino_t ino, size_t size, off_t offset, fuse_file_info*) {
  const std::lock_guard lock(g_mutex);
  if (!Powered(request)) return;
  const Node* node = Find(ino);
  if (node == nullptr || node->folder()) {
    fuse_reply_err(request, EISDIR);
    return;
  }
  const std::size_t start = std::min(static_cast<std::size_t>(offset), node->data.size());
  fuse_reply_buf(request, node->data.data() + start, std::min(size, node->data.size() - start));
}

void WriteAt(Node& node, const char* bytes, std::size_t size, std::size_t offset) {
  if (node.data.size() < offset + size) node.data.resize(offset + size);
  std::memcpy(node.data.data() + offset, bytes, size);
  node.mtime = node.ctime = Now();
}

void Write(fuse_req_t request, fuse_ino_t ino, const char* bytes, size_t size, off_t offset,
           fuse_file_info*) {
  const std::lock_guard lock(g_mutex);
  Node* node = Find(ino);
  if (node == nullptr || node->folder()) {
    if (Powered(request)) fuse_reply_err(request, EISDIR);
    return;
  }
  if (!Change(request, "write " + std::to_string(ino) + " at " + std::to_string(offset) + " +" +
                           std::to_string(size))) {
    return;
  }
  WriteAt(*node, bytes, size, static_cast<std::size_t>(offset));
  fuse_reply_write(request, size);
}

void Flush(fuse_req_t request, fuse_ino_t, fuse_file_info*) {
  const std::lock_guard lock(g_mutex);
  if (Powered(request)) fuse_reply_err(request, 0);
}

// Nothing is kept per open file, so there is nothing to give back even without power.
void Release(fuse_req_t request, fuse_ino_t, fuse_file_info*) {
  fuse_reply_err(request, 0);
}

void Sync(fuse_req_t request, fuse_ino_t ino, int datasync, fuse_file_info*) {
  const std::lock_guard lock(g_mutex);
  Node* node = Find(ino);
  if (node == nullptr) {
    if (Powered(request)) fuse_reply_err(request, ENOENT);
    return;
  }
  if (!Change(request, std::string(datasync ? "fdatasync " : "fsync ") + std::to_string(ino))) {
    return;
  }
  node->durable_data = node->data;
  node->durable_mode = node->mode;
  fuse_reply_err(request, 0);
}

void OpenFolder(fuse_req_t request, fuse_ino_t ino, fuse_file_info* info) {
  const std::lock_guard lock(g_mutex);
  if (!Powered(request)) return;
  const Node* node = Find(ino);
  if (node == nullptr || !node->folder()) {
    fuse_reply_err(request, node == nullptr ? ENOENT : ENOTDIR);
    return;
  }
  fuse_reply_open(request, info);
}

void AddEntry(fuse_req_t request, std::string& buffer, const std::string& name, const Node& node) {
  const struct stat attributes = AttributesOf(node);
  const std::size_t size = fuse_add_direntry(request, nullptr, 0, name.c_str(), nullptr, 0);
  const std::size_t at = buffer.size();
  buffer.resize(at + size);
  fuse_add_direntry(request, buffer.data() + at, size, name.c_str(), &attributes,
                    static_cast<off_t>(buffer.size()));
}

void ReadFolder(fuse_req_t request, fuse_ino_t ino, size_t size, off_t offset, fuse_file_info*) {
  const std::lock_guard lock(g_mutex);
  if (!Powered(request)) return;
  const Node* folder = Find(ino);
  if (folder == nullptr || !folder->folder()) {
    fuse_reply_err(request, ENOTDIR);
    return;
  }
  std::string buffer;
  AddEntry(request, buffer, ".", *folder);
  AddEntry(request, buffer, "..", *Find(folder->ino == FUSE_ROOT_ID ? ino : folder->parent));
  for (const auto& [name, child] : folder->names) AddEntry(request, buffer, name, *Find(child));
  const std::size_t start = std::min(static_cast<std::size_t>(offset), buffer.size());
  fuse_reply_buf(request, buffer.data() + start, std::min(size, buffer.size() - start));
}

void ReleaseFolder(fuse_req_t request, fuse_ino_t, fuse_file_info*) {
  fuse_reply_err(request, 0);
}

void SyncFolder(fuse_req_t request, fuse_ino_t ino, int, fuse_file_info*) {
  const std::lock_guard lock(g_mutex);
  Node* node = Find(ino);
  if (node == nullptr) {
    if (Powered(request)) fuse_reply_err(request, ENOENT);
    return;
  }
  if (!Change(request, "fsyncdir " + FolderPath(ino))) return;
  node->durable_names = node->names;
  fuse_reply_err(request, 0);
}

void StatFileSystem(fuse_req_t request, fuse_ino_t) {
  const std::lock_guard lock(g_mutex);
  if (!Powered(request)) return;
  struct statvfs info {};
  info.f_bsize = 4096;
  info.f_frsize = 4096;
  info.f_blocks = 1 << 18;
  info.f_bfree = info.f_bavail = 1 << 17;
  info.f_files = info.f_ffree = 1 << 16;
  info.f_namemax = 255;
  fuse_reply_statfs(request, &info);
}

// Reserving space only (mode 0, or FALLOC_FL_KEEP_SIZE); nothing else is offered.
void Allocate(fuse_req_t request, fuse_ino_t ino, int mode, off_t offset, off_t length,
              fuse_file_info*) {
  const std::lock_guard lock(g_mutex);
  Node* node = Find(ino);
  if (node == nullptr || node->folder() || (mode & ~FALLOC_FL_KEEP_SIZE) != 0) {
    if (Powered(request)) fuse_reply_err(request, node == nullptr ? ENOENT : EOPNOTSUPP);
    return;
  }
  if (!Change(request, "fallocate " + std::to_string(ino) + " " + std::to_string(offset) + " +" +
                           std::to_string(length))) {
    return;
  }
  const auto end = static_cast<std::size_t>(offset + length);
  if (!(mode & FALLOC_FL_KEEP_SIZE) && node->data.size() < end) node->data.resize(end);
  fuse_reply_err(request, 0);
}

void CopyRange(fuse_req_t request, fuse_ino_t in_ino, off_t in_offset, fuse_file_info*,
               fuse_ino_t out_ino, off_t out_offset, fuse_file_info*, size_t length, int) {
  const std::lock_guard lock(g_mutex);
  Node* in = Find(in_ino);
  Node* out = Find(out_ino);
  if (in == nullptr || out == nullptr || in->folder() || out->folder()) {
    if (Powered(request)) fuse_reply_err(request, EINVAL);
    return;
  }
  if (!Change(request, "copy_file_range " + std::to_string(in_ino) + " at " +
                           std::to_string(in_offset) + " to " + std::to_string(out_ino) + " at " +
                           std::to_string(out_offset) + " +" + std::to_string(length))) {
    return;
  }
  const std::size_t start = std::min(static_cast<std::size_t>(in_offset), in->data.size());
  const std::string bytes = in->data.substr(start, length);  // a copy: in and out may be one
  if (!bytes.empty())
    WriteAt(*out, bytes.data(), bytes.size(), static_cast<std::size_t>(out_offset));
  fuse_reply_write(request, bytes.size());
}

// No holes: the data runs from the start to the end.
void Seek(fuse_req_t request, fuse_ino_t ino, off_t offset, int whence, fuse_file_info*) {
  const std::lock_guard lock(g_mutex);
  if (!Powered(request)) return;
  const Node* node = Find(ino);
  const auto size = static_cast<off_t>(node == nullptr ? 0 : node->data.size());
  if (whence != SEEK_DATA && whence != SEEK_HOLE) {
    fuse_reply_err(request, EINVAL);
  } else if (offset >= size) {
    fuse_reply_err(request, ENXIO);
  } else {
    fuse_reply_lseek(request, whence == SEEK_DATA ? offset : size);
  }
}

void RefuseControl(fuse_req_t request, fuse_ino_t, unsigned int, void*, fuse_file_info*, unsigned,
                   const void*, size_t, size_t) {
  const std::lock_guard lock(g_mutex);
  if (Powered(request)) fuse_reply_err(request, ENOTTY);
}

fuse_lowlevel_ops Operations(bool copy_file_range) {
  fuse_lowlevel_ops ops{};
  ops.init = Init;
  ops.lookup = Lookup;
  ops.forget = Forget;
  ops.getattr = GetAttributes;
  ops.setattr = SetAttributes;
  ops.mknod = MakeFileNode;
  ops.mkdir = MakeFolder;
  ops.unlink = Unlink;
  ops.rmdir = RemoveFolder;
  ops.rename = Rename;
  ops.link = Link;
  ops.open = Open;
  ops.read = Read;
  ops.write = Write;
  ops.flush = Flush;
  ops.release = Release;
  ops.fsync = Sync;
  ops.opendir = OpenFolder;
  ops.readdir = ReadFolder;
  ops.releasedir = ReleaseFolder;
  ops.fsyncdir = SyncFolder;
  ops.statfs = StatFileSystem;
  ops.create = Create;
  ops.fallocate = Allocate;
  ops.lseek = Seek;
  ops.ioctl = RefuseControl;
  if (copy_file_range) ops.copy_file_range = CopyRange;
  return ops;
}

// ---- What a cut leaves.

// The pending changes that may have reached the disk unasked, and which of them a view takes.
struct Pending {
  std::vector<fuse_ino_t> folders;  // names changed since the folder's last sync
  std::vector<fuse_ino_t> files;    // data or permissions changed since the file's last sync
  unsigned long taken = 0;          // bit i: folders[i], then files

  bool Takes(fuse_ino_t ino) const {
    for (std::size_t i = 0; i < folders.size(); ++i) {
      if (folders[i] == ino) return (taken >> i) & 1;
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
      if (files[i] == ino) return (taken >> (folders.size() + i)) & 1;
    }
    return false;
  }
};

Pending FindPending() {
  Pending pending;
  for (const auto& [ino, node] : g_nodes) {
    if (node.folder() && node.names != node.durable_names) pending.folders.push_back(ino);
    if (!node.folder() && (node.data != node.durable_data || node.mode != node.durable_mode)) {
      pending.files.push_back(ino);
    }
  }
  return pending;
}

std::string Describe(const Pending& pending) {
  std::string text;
  auto add = [&](const std::string& part) { text += (text.empty() ? "" : ", ") + part; };
  for (std::size_t i = 0; i < pending.folders.size(); ++i) {
    if ((pending.taken >> i) & 1) add("names of " + FolderPath(pending.folders[i]));
  }
  for (std::size_t i = 0; i < pending.files.size(); ++i) {
    if ((pending.taken >> (pending.folders.size() + i)) & 1) {
      add("data of file " + std::to_string(pending.files[i]));
    }
  }
  return text.empty() ? "durable" : text;
}

struct ViewEntry {
  std::string path;  // relative, "/"-separated
  bool folder;
  mode_t permissions;
  std::string data;
};

// The tree one view leaves, folders before what they hold. A folder reached twice (possible
// when one view mixes a folder's old and new places) is listed once.
void Collect(fuse_ino_t ino, const std::string& path, const Pending& pending,
             std::set<fuse_ino_t>& seen, std::vector<ViewEntry>& entries) {
  const Node& folder = *Find(ino);
  const Names& names = pending.Takes(ino) ? folder.names : folder.durable_names;
  for (const auto& [name, child_ino] : names) {
    const Node& child = *Find(child_ino);
    const std::string child_path = path.empty() ? name : path + "/" + name;
    if (child.folder()) {
      if (!seen.insert(child_ino).second) continue;
      entries.push_back({child_path, true, 0755, {}});
      Collect(child_ino, child_path, pending, seen, entries);
    } else {
      const bool now = pending.Takes(child_ino);
      entries.push_back({child_path, false, (now ? child.mode : child.durable_mode) & 07777,
                         now ? child.data : child.durable_data});
    }
  }
}

std::string Serialize(const std::vector<ViewEntry>& entries) {
  std::string text;
  for (const ViewEntry& entry : entries) {
    text += entry.path + '\0' + (entry.folder ? 'd' : 'f') + std::to_string(entry.permissions) +
            '\0' + std::to_string(entry.data.size()) + '\0' + entry.data;
  }
  return text;
}

bool WriteWhole(const std::string& path, const std::string& data, mode_t permissions) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  bool written = true;
  for (std::size_t done = 0; written && done < data.size();) {
    const ssize_t put = ::write(fd, data.data() + done, data.size() - done);
    written = put > 0;
    if (written) done += static_cast<std::size_t>(put);
  }
  written = ::fchmod(fd, permissions) == 0 && written;
  return ::close(fd) == 0 && written;
}

bool WriteView(const std::string& folder, const std::vector<ViewEntry>& entries) {
  if (::mkdir(folder.c_str(), 0755) != 0) return false;
  for (const ViewEntry& entry : entries) {
    const std::string path = folder + "/" + entry.path;
    if (entry.folder ? ::mkdir(path.c_str(), 0755) != 0
                     : !WriteWhole(path, entry.data, entry.permissions)) {
      return false;
    }
  }
  return true;
}

// Beyond this many pending changes only the strict disk and the disk with all of them are
// written; the tests stay well below it.
constexpr std::size_t kMostPendingCombined = 10;

// Cuts the power and writes every distinct view, the strict disk first. The number of views, or
// -1 when the folder could not be written.
int Dump(const std::string& folder) {
  g_powered = false;
  Pending pending = FindPending();
  const std::size_t count = pending.folders.size() + pending.files.size();
  std::vector<unsigned long> combinations;
  if (count <= kMostPendingCombined) {
    for (unsigned long taken = 0; taken < (1ul << count); ++taken) combinations.push_back(taken);
  } else {
    combinations = {0, (1ul << count) - 1};
  }
  std::set<std::string> written;
  std::string listing;
  for (const unsigned long taken : combinations) {
    pending.taken = taken;
    std::vector<ViewEntry> entries;
    std::set<fuse_ino_t> seen{FUSE_ROOT_ID};
    Collect(FUSE_ROOT_ID, "", pending, seen, entries);
    if (!written.insert(Serialize(entries)).second) continue;
    const std::string name = "view-" + std::to_string(written.size() - 1);
    if (!WriteView(folder + "/" + name, entries)) return -1;
    listing += name + "\t" + Describe(pending) + "\n";
  }
  std::string operations;
  for (const std::string& line : g_log) operations += line + "\n";
  if (!WriteWhole(folder + "/views.txt", listing, 0644) ||
      !WriteWhole(folder + "/operations.txt", operations, 0644)) {
    return -1;
  }
  return static_cast<int>(written.size());
}

void Settle() {
  for (auto& [ino, node] : g_nodes) {
    node.durable_data = node.data;
    node.durable_mode = node.mode;
    node.durable_names = node.names;
  }
}

// ---- The commands and the life of the process.

std::string Command(const std::string& line) {
  const std::lock_guard lock(g_mutex);
  if (line == "settle") {
    Settle();
    return "settled";
  }
  if (line == "arm" || line.rfind("arm ", 0) == 0) {
    g_counted = 0;
    g_log.clear();
    g_cut_after.reset();
    if (line.size() > 4) g_cut_after = std::strtoul(line.c_str() + 4, nullptr, 10);
    return "armed";
  }
  if (line.rfind("dump ", 0) == 0) {
    const int views = Dump(line.substr(5));
    if (views < 0) return "failed " + std::string(std::strerror(errno));
    return "dumped " + std::to_string(g_counted) + " " + std::to_string(views);
  }
  return "unknown command";
}

// Ends the request loop from the command thread, with `code` as the exit code. SIGTERM makes
// the session exit and interrupts the loop's read of /dev/fuse; it is sent again until the loop
// is over, since one that lands just before the loop starts its read is not seen until the next
// request.
void Leave(int code) {
  g_leave_code = code;
  while (!g_loop_over) {
    ::pthread_kill(g_loop_thread, SIGTERM);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

int Usage() {
  std::fputs(
      "usage: powercut_fs [--lifetime SECONDS] [--no-copy-file-range] [--max-write BYTES] "
      "MOUNTPOINT\n",
      stderr);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::chrono::seconds lifetime(600);
  bool copy_file_range = true;
  int next = 1;
  for (; next < argc - 1; ++next) {
    const std::string_view option = argv[next];
    if (option == "--lifetime" && next + 2 < argc) {
      lifetime = std::chrono::seconds(std::atoi(argv[++next]));
    } else if (option == "--max-write" && next + 2 < argc) {
      g_max_write = static_cast<unsigned>(std::atoi(argv[++next]));
    } else if (option == "--no-copy-file-range") {
      copy_file_range = false;
    } else {
      return Usage();
    }
  }
  if (next != argc - 1 || lifetime.count() <= 0) return Usage();
  g_mount_point = argv[next];

  Node& root = g_nodes[FUSE_ROOT_ID];
  root.ino = root.parent = FUSE_ROOT_ID;
  root.mode = root.durable_mode = S_IFDIR | 0755;
  root.links = 1;
  root.atime = root.mtime = root.ctime = Now();

  char name[] = "powercut_fs";
  char option[] = "-o";
  // default_permissions: the kernel checks the permission bits, as on a disk.
  char options[] = "fsname=powercut_fs,subtype=powercut_fs,default_permissions";
  char* fuse_argv[] = {name, option, options, nullptr};
  fuse_args args = FUSE_ARGS_INIT(3, fuse_argv);
  const fuse_lowlevel_ops ops = Operations(copy_file_range);
  g_session = fuse_session_new(&args, &ops, sizeof ops, nullptr);
  // The session keeps what it parsed: the copies the parsing made go now, so that a server that
  // ends by returning from main leaves nothing for the leak checker.
  fuse_opt_free_args(&args);
  if (g_session == nullptr) return 1;
  if (fuse_set_signal_handlers(g_session) != 0) return 1;
  if (fuse_session_mount(g_session, g_mount_point.c_str()) != 0) {
    std::fprintf(stderr, "powercut_fs: cannot mount at %s\n", g_mount_point.c_str());
    return 2;
  }
  g_loop_thread = ::pthread_self();
  vantrel::testing::CommandThread commands("powercut_fs", lifetime, Command, Leave);
  const int result = fuse_session_loop(g_session);
  g_loop_over = true;
  // The command thread uses the globals below; it must end before they are freed.
  commands.Stop();
  fuse_session_unmount(g_session);
  fuse_remove_signal_handlers(g_session);
  fuse_session_destroy(g_session);
  if (g_leave_code >= 0) return g_leave_code;
  return result < 0 ? 1 : 0;
}
