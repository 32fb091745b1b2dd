// hung_fs: a tiny FUSE file system for tests that can stop answering, like a network mount whose
// server went away. It serves
//   /docs/a.txt, /docs/b.txt, /readme.txt
// and takes commands on standard input, one a line, each confirmed on standard output once it
// holds:
//   hang    every lookup, getattr, opendir, readdir, open, read and statfs blocks  -> "hung"
//   answer  blocked and later calls go on normally                                -> "answering"
//   stall   calls answer until a folder's first entries have been sent, then all block
//           as after "hang": a server that goes away in the middle of a listing  -> "stalling"
//   hang-reads  reads of a file's data block, every other call answers: a file opened whose
//               server goes away as it is read (a copy half done)               -> "hanging reads"
// Nothing is cached by the kernel (all timeouts 0), so every call of a user reaches the server.
//
// Usage: hung_fs [--lifetime SECONDS] MOUNTPOINT   (runs in the foreground)
// When standard input closes (its owner is gone) or the lifetime has passed, it detaches the
// mount and exits, so a test that died or hung can never leave a process blocked on it for good.
// SIGTERM and SIGINT unmount and end it too, hung or not. Exit codes: 0 ended, 1 bad use or
// failure, 2 the mount was refused (no /dev/fuse, no permission), 3 the lifetime ran out.
#define FUSE_USE_VERSION 312
#include <fuse_lowlevel.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "fuse_commands.h"

namespace {

struct Node {
  fuse_ino_t ino;
  fuse_ino_t parent;
  const char* name;
  bool folder;
  std::string_view content;
};

constexpr Node kTree[] = {
    {FUSE_ROOT_ID, FUSE_ROOT_ID, "", true, ""},
    {2, FUSE_ROOT_ID, "docs", true, ""},
    {3, 2, "a.txt", false, "alpha\n"},
    {4, 2, "b.txt", false, "bravo\n"},
    {5, FUSE_ROOT_ID, "readme.txt", false, "hung_fs test tree\n"},
};

fuse_session* g_session = nullptr;
std::string g_mount_point;
std::mutex g_mutex;
std::condition_variable g_answering;
bool g_hung = false;        // guarded by g_mutex
bool g_stall = false;       // guarded by g_mutex: hang once a listing's first entries are sent
bool g_reads_hung = false;  // guarded by g_mutex: reads of data block, as after "hang"

const Node* Find(fuse_ino_t ino) {
  for (const Node& node : kTree) {
    if (node.ino == ino) return &node;
  }
  return nullptr;
}

const Node* FindChild(fuse_ino_t parent, const char* name) {
  for (const Node& node : kTree) {
    if (node.ino != FUSE_ROOT_ID && node.parent == parent && std::strcmp(node.name, name) == 0) {
      return &node;
    }
  }
  return nullptr;
}

// Where a call of a hung file system stops. It wakes on "answer", and every 50 ms to notice a
// session ended by a signal (a signal handler cannot notify a condition variable).
void HoldWhileHung(const bool* also = nullptr) {
  std::unique_lock lock(g_mutex);
  while ((g_hung || (also != nullptr && *also)) && !fuse_session_exited(g_session)) {
    g_answering.wait_for(lock, std::chrono::milliseconds(50));
  }
}

struct stat AttributesOf(const Node& node) {
  struct stat attributes {};
  attributes.st_ino = node.ino;
  attributes.st_mode = node.folder ? (S_IFDIR | 0755) : (S_IFREG | 0644);
  attributes.st_nlink = node.folder ? 2 : 1;
  attributes.st_size = static_cast<off_t>(node.content.size());
  attributes.st_uid = ::getuid();
  attributes.st_gid = ::getgid();
  return attributes;
}

void Lookup(fuse_req_t request, fuse_ino_t parent, const char* name) {
  HoldWhileHung();
  const Node* node = FindChild(parent, name);
  if (node == nullptr) {
    fuse_reply_err(request, ENOENT);
    return;
  }
  vantrel::testing::ReplyEntry(request, *node, AttributesOf);
}

void GetAttributes(fuse_req_t request, fuse_ino_t ino, fuse_file_info*) {
  HoldWhileHung();
  vantrel::testing::ReplyAttributes(request, Find(ino), AttributesOf);
}

void OpenFolder(fuse_req_t request, fuse_ino_t ino, fuse_file_info* info) {
  HoldWhileHung();
  const Node* node = Find(ino);
  if (node == nullptr) {
    fuse_reply_err(request, ENOENT);
  } else if (!node->folder) {
    fuse_reply_err(request, ENOTDIR);
  } else {
    fuse_reply_open(request, info);
  }
}

void AddEntry(fuse_req_t request, std::string& buffer, const char* name, const Node& node) {
  const struct stat attributes = AttributesOf(node);
  const std::size_t size = fuse_add_direntry(request, nullptr, 0, name, nullptr, 0);
  const std::size_t at = buffer.size();
  buffer.resize(at + size);
  fuse_add_direntry(request, buffer.data() + at, size, name, &attributes,
                    static_cast<off_t>(buffer.size()));
}

void ReadFolder(fuse_req_t request, fuse_ino_t ino, size_t size, off_t offset, fuse_file_info*) {
  HoldWhileHung();
  const Node* folder = Find(ino);
  if (folder == nullptr || !folder->folder) {
    fuse_reply_err(request, ENOTDIR);
    return;
  }
  std::string buffer;
  AddEntry(request, buffer, ".", *folder);
  AddEntry(request, buffer, "..", *Find(folder->parent));
  for (const Node& node : kTree) {
    if (node.ino != FUSE_ROOT_ID && node.parent == ino) AddEntry(request, buffer, node.name, node);
  }
  // Hung before the first entries go out: a call the reader makes as soon as it has them (on
  // another of the session's threads) must already find the server gone.
  {
    const std::lock_guard lock(g_mutex);
    if (g_stall && offset == 0) {
      g_stall = false;
      g_hung = true;
    }
  }
  const std::size_t start = std::min(static_cast<std::size_t>(offset), buffer.size());
  fuse_reply_buf(request, buffer.data() + start, std::min(size, buffer.size() - start));
}

void Open(fuse_req_t request, fuse_ino_t ino, fuse_file_info* info) {
  HoldWhileHung();
  const Node* node = Find(ino);
  if (node == nullptr) {
    fuse_reply_err(request, ENOENT);
  } else if (node->folder) {
    fuse_reply_err(request, EISDIR);
  } else if ((info->flags & O_ACCMODE) != O_RDONLY) {
    fuse_reply_err(request, EROFS);
  } else {
    fuse_reply_open(request, info);
  }
}

void Read(fuse_req_t request, fuse_ino_t ino, size_t size, off_t offset, fuse_file_info*) {
  HoldWhileHung(&g_reads_hung);
  const Node* node = Find(ino);
  if (node == nullptr || node->folder) {
    fuse_reply_err(request, EISDIR);
    return;
  }
  const std::size_t start = std::min(static_cast<std::size_t>(offset), node->content.size());
  fuse_reply_buf(request, node->content.data() + start,
                 std::min(size, node->content.size() - start));
}

void StatFileSystem(fuse_req_t request, fuse_ino_t) {
  HoldWhileHung();
  struct statvfs info {};
  info.f_bsize = 4096;
  info.f_frsize = 4096;
  info.f_blocks = 16;
  info.f_namemax = 255;
  fuse_reply_statfs(request, &info);
}

// Answers "hang", "answer", "stall" and "hang-reads"; tells of any other command on standard
// error and answers nothing.
std::string Command(const std::string& command) {
  if (command == "stall") {
    const std::lock_guard lock(g_mutex);
    g_stall = true;
    return "stalling";
  }
  if (command == "hang-reads") {
    const std::lock_guard lock(g_mutex);
    g_reads_hung = true;
    return "hanging reads";
  }
  const bool hang = command == "hang";
  if (!hang && command != "answer") {
    std::fprintf(stderr, "hung_fs: unknown command '%s'\n", command.c_str());
    return {};
  }
  {
    const std::lock_guard lock(g_mutex);
    g_hung = hang;
    if (!hang) g_reads_hung = false;
  }
  g_answering.notify_all();
  return hang ? "hung" : "answering";
}

fuse_lowlevel_ops Operations() {
  fuse_lowlevel_ops ops{};
  ops.lookup = Lookup;
  ops.getattr = GetAttributes;
  ops.opendir = OpenFolder;
  ops.readdir = ReadFolder;
  ops.open = Open;
  ops.read = Read;
  ops.statfs = StatFileSystem;
  return ops;
}

int Usage() {
  std::fputs("usage: hung_fs [--lifetime SECONDS] MOUNTPOINT\n", stderr);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::chrono::seconds lifetime(600);
  int next = 1;
  if (argc == 4 && std::string_view(argv[1]) == "--lifetime") {
    lifetime = std::chrono::seconds(std::atoi(argv[2]));
    next = 3;
  }
  if (argc != next + 1 || lifetime.count() <= 0) return Usage();
  g_mount_point = argv[next];

  char name[] = "hung_fs";
  char option[] = "-o";
  char options[] = "fsname=hung_fs,subtype=hung_fs";
  char* fuse_argv[] = {name, option, options, nullptr};
  fuse_args args = FUSE_ARGS_INIT(3, fuse_argv);
  const fuse_lowlevel_ops ops = Operations();
  g_session = fuse_session_new(&args, &ops, sizeof ops, nullptr);
  if (g_session == nullptr) return 1;
  if (fuse_set_signal_handlers(g_session) != 0) return 1;
  if (fuse_session_mount(g_session, g_mount_point.c_str()) != 0) {
    std::fprintf(stderr, "hung_fs: cannot mount at %s\n", g_mount_point.c_str());
    return 2;
  }
  // Calls may be held for good, so leaving cannot wait for the loop: it ends the process at once.
  vantrel::testing::CommandThread commands("hung_fs", lifetime, Command, [](int code) {
    vantrel::testing::LeaveMount(g_mount_point, code);
  });

  // Several threads, so that every call is taken from the kernel and held, as a network file
  // system holds them, rather than queued behind the first one.
  fuse_loop_config* config = fuse_loop_cfg_create();
  const int result = fuse_session_loop_mt(g_session, config);
  fuse_loop_cfg_destroy(config);
  commands.Stop();
  fuse_session_unmount(g_session);
  fuse_remove_signal_handlers(g_session);
  fuse_session_destroy(g_session);
  return result < 0 ? 1 : 0;
}
