#include "engine/delete_job.h"

#include <cstring>
#include <new>

#include "base/path_utils.h"
#include "engine/fill_buffer.h"

namespace {

// Items are freed depth first; the depth is bounded by the 260-byte path, the
// breadth is walked in a loop.
void FreeList(DeleteItem* item) {
  while (item != nullptr) {
    DeleteItem* next = item->next;
    FreeList(item->firstChild);
    delete item;
    item = next;
  }
}

void LinkAtFront(DeleteItem& parent, DeleteItem& item) {
  item.parent = &parent;
  item.prev = nullptr;
  item.next = parent.firstChild;
  if (parent.firstChild != nullptr) parent.firstChild->prev = &item;
  parent.firstChild = &item;
}

void Unlink(DeleteItem& item) {
  if (item.prev != nullptr) {
    item.prev->next = item.next;
  } else if (item.parent != nullptr && item.parent->firstChild == &item) {
    item.parent->firstChild = item.next;
  }
  if (item.next != nullptr) item.next->prev = item.prev;
  item.next = item.prev = nullptr;
}

size_t BoundedLength(const char* path) { return strnlen(path, kMaxPathBytes + 1); }

bool IsAsciiLetter(unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }

// Compares the first n bytes of two paths, ASCII letters without regard to
// case. The code page is not known here, so a byte behind a byte of 0x80 or
// more may be the second half of a double-byte character: it is compared
// exactly. That can only make two spellings of one path differ, never make
// two different paths match.
bool SamePrefix(const unsigned char* a, const unsigned char* b, size_t n) {
  bool trail = false;
  for (size_t i = 0; i < n; ++i) {
    if (a[i] != b[i]) {
      if (trail || !IsAsciiLetter(a[i]) || (a[i] ^ b[i]) != 0x20) return false;
    }
    trail = a[i] >= 0x80;
  }
  return true;
}

// A backslash at position i that cannot be the second half of a double-byte
// character (see SamePrefix).
bool IsSeparatorAt(const unsigned char* p, size_t i) {
  return p[i] == '\\' && (i == 0 || p[i - 1] < 0x80);
}

// P is T's path, or T is a folder path that P lies in.
bool SamePathOrInside(const char* folder, const char* path) {
  const auto* t = reinterpret_cast<const unsigned char*>(folder);
  const auto* p = reinterpret_cast<const unsigned char*>(path);
  size_t m = BoundedLength(folder);
  size_t n = BoundedLength(path);
  if (m == n && SamePrefix(t, p, n)) return true;
  if (m >= n || m <= 1) return false;
  // T's path must end where a component of P ends, either because P goes on
  // with a separator or because T itself ends in one.
  return (IsSeparatorAt(p, m) || IsSeparatorAt(p, m - 1)) && SamePrefix(t, p, m);
}

}  // namespace

void BuildJob(DeleteJob& job) {
  std::memset(&job, 0, sizeof job);
  job.root.job = &job;
  ResetConfig(job.settings);
}

void ReleaseJob(DeleteJob& job) {
  FreeFillBuffer(job.fillBuffer);
  FreeList(job.root.firstChild);
  BuildJob(job);
}

bool ClearJob(DeleteJob& job) {
  if (job.running) return false;
  ReleaseJob(job);
  return true;
}

bool IsCovered(const DeleteJob& job, const char* path, PathMatch match) {
  if (path == nullptr || path[0] == '\0') return false;
  if (match == nullptr) match = SamePathOrInside;
  for (const DeleteItem* top = job.root.firstChild; top != nullptr; top = top->next) {
    if (match(top->path, path)) return true;
  }
  return false;
}

void DropNestedItems(DeleteJob& job, PathMatch match) {
  if (match == nullptr) match = SamePathOrInside;
  DeleteItem* item = job.root.firstChild;
  while (item != nullptr) {
    DeleteItem* next = item->next;
    bool nested = false;
    bool before = true;
    for (const DeleteItem* other = job.root.firstChild; other != nullptr; other = other->next) {
      if (other == item) {
        before = false;
        continue;
      }
      if (!match(other->path, item->path)) continue;
      // Of two equal paths the first stays.
      if (before || !match(item->path, other->path)) {
        nested = true;
        break;
      }
    }
    if (nested) RemoveTopLevelItem(job, item);
    item = next;
  }
}

DeleteItem* AddTopLevelItem(DeleteJob& job, const char* path, FolderTest isFolder, PathMatch match) {
  // An empty path names nothing; it would only make the job fail later.
  if (path == nullptr || path[0] == '\0' || IsCovered(job, path, match)) return nullptr;
  if (BoundedLength(path) > kMaxPathBytes) return nullptr;
  bool folder = isFolder != nullptr && isFolder(path);
  return AddChild(job.root, path, 0, folder);
}

DeleteItem* AddChild(DeleteItem& parent, const char* path, int64_t size, bool isFolder) {
  if (path == nullptr) return nullptr;
  size_t length = BoundedLength(path);
  if (length > kMaxPathBytes) return nullptr;
  auto* item = new (std::nothrow) DeleteItem{};
  if (item == nullptr) return nullptr;
  std::memcpy(item->path, path, length);
  item->path[length] = '\0';
  item->name = PathName(item->path);
  item->size = size;
  item->isFolder = isFolder ? 1 : 0;
  item->job = parent.job;
  LinkAtFront(parent, *item);
  return item;
}

bool RemoveTopLevelItem(DeleteJob& job, DeleteItem* item) {
  if (item == nullptr) return false;
  Unlink(*item);
  FreeList(item->firstChild);
  delete item;
  return true;
}

void FreeChildren(DeleteItem& item) {
  FreeList(item.firstChild);
  item.firstChild = nullptr;
}

uint64_t CountItems(const DeleteJob& job, char* firstPath, bool* firstIsFolder) {
  uint64_t count = 0;
  for (const DeleteItem* top = job.root.firstChild; top != nullptr; top = top->next) ++count;
  const DeleteItem* first = job.root.firstChild;
  if (first != nullptr) {
    if (firstPath != nullptr) std::memcpy(firstPath, first->path, sizeof first->path);
    if (firstIsFolder != nullptr) *firstIsFolder = first->isFolder != 0;
  }
  return count;
}

void CopyItems(DeleteJob& target, const DeleteJob& source) {
  FreeChildren(target.root);
  // Adding puts each copy at the front, so the copy lists the items in the
  // order in which the user chose them.
  for (const DeleteItem* top = source.root.firstChild; top != nullptr; top = top->next) {
    AddChild(target.root, top->path, top->size, top->isFolder != 0);
  }
}

int64_t TotalSize(const DeleteItem& item) {
  int64_t total = item.size;
  for (const DeleteItem* child = item.firstChild; child != nullptr; child = child->next) {
    total += TotalSize(*child);
  }
  return total;
}

AfterError NextStepAfter(int answer, uint8_t& skipAll) {
  switch (answer) {
    case kAnswerTryAgain:
      return AfterError::kTryAgain;
    case kAnswerSkip:
      return AfterError::kSkip;
    case kAnswerSkipAll:
      skipAll = 1;
      return AfterError::kSkip;
    default:
      return AfterError::kCancel;
  }
}
