#include "engine/delete_job.h"

#include <cstring>
#include <new>
#include <type_traits>

#include "base/path_utils.h"
#include "engine/chosen_identity.h"
#include "engine/fill_buffer.h"

// An item's text is stored right behind it, in the same arena block: either
// the whole path (kOwnPath: a top-level item, or a child whose path does not
// continue its parent's) or the part behind the parent's path (the name, for
// what a listing found), with kJoined when a backslash stands between them.
struct ItemPathAccess {
  static constexpr uint8_t kOwnPath = 1;
  static constexpr uint8_t kJoined = 2;

  static ItemPath& Of(DeleteItem& item) { return item.path; }
  static const DeleteItem& ItemOf(const ItemPath& path) {
    // path is the item's first member: the two share an address.
    return *reinterpret_cast<const DeleteItem*>(&path);
  }
  static char* Text(DeleteItem& item) { return reinterpret_cast<char*>(&item + 1); }
  static const char* Text(const DeleteItem& item) {
    return reinterpret_cast<const char*>(&item + 1);
  }
  static bool Own(const DeleteItem& item) { return item.path.flags_ & kOwnPath; }
  static size_t TextLength(const DeleteItem& item) {
    if (Own(item) || item.parent == nullptr) return item.path.length_;
    return item.path.length_ - item.parent->path.length_ - ((item.path.flags_ & kJoined) ? 1 : 0);
  }
  static constexpr size_t BlockBytes(size_t textLength) {
    return sizeof(DeleteItem) + textLength + 1;
  }

  // Builds the path from the item's end towards its start, one ancestor at
  // a time, so nothing is copied twice.
  static void Build(const DeleteItem& item, char* out) {
    size_t end = item.path.length_;
    out[end] = '\0';
    for (const DeleteItem* at = &item; at != nullptr && end > 0; at = at->parent) {
      size_t length = TextLength(*at);
      end -= length;
      std::memcpy(out + end, Text(*at), length);
      if (Own(*at)) break;
      if (at->path.flags_ & kJoined) out[--end] = '\\';
    }
  }

  static void Set(DeleteItem& item, size_t length, uint8_t flags, size_t blockBytes) {
    item.path.length_ = static_cast<uint16_t>(length);
    item.path.flags_ = flags;
    item.path.sizeClass_ =
        static_cast<uint8_t>((blockBytes + ItemArena::kAlignment - 1) / ItemArena::kAlignment);
  }
  static size_t StoredBlockBytes(const DeleteItem& item) {
    return static_cast<size_t>(item.path.sizeClass_) * ItemArena::kAlignment;
  }
};

static_assert(std::is_standard_layout_v<DeleteItem>, "the path finds its item by address");
static_assert(offsetof(DeleteItem, path) == 0, "the path finds its item by address");
static_assert(ItemPathAccess::BlockBytes(kMaxPathBytes) <= ItemArena::kLargestBlock);
static_assert(ItemArena::kLargestBlock / ItemArena::kAlignment <= 255, "size class fits a byte");

using Access = ItemPathAccess;

ItemPath::operator const char*() const {
  const DeleteItem& item = Access::ItemOf(*this);
  if (length_ == 0 || item.job == nullptr) return "";
  DeleteJob& job = *item.job;
  char* slot = job.pathSlots[job.nextPathSlot % kPathSlots];
  job.nextPathSlot = (job.nextPathSlot + 1) % kPathSlots;
  Access::Build(item, slot);
  return slot;
}

bool ItemPath::CopyTo(char* out, size_t size) const {
  if (out == nullptr || size == 0) return false;
  if (size <= length_) {
    out[0] = '\0';
    return false;
  }
  Access::Build(Access::ItemOf(*this), out);
  return true;
}

namespace {

DeleteItem* NewItem(DeleteItem& parent, const char* text, size_t textLength, size_t pathLength,
                    uint8_t flags, size_t nameOffset, int64_t size, bool isFolder) {
  if (parent.job == nullptr) return nullptr;
  const size_t blockBytes = Access::BlockBytes(textLength);
  void* block = parent.job->items.Allocate(blockBytes);
  if (block == nullptr) return nullptr;
  auto* item = new (block) DeleteItem{};
  Access::Set(*item, pathLength, flags, blockBytes);
  char* stored = Access::Text(*item);
  std::memcpy(stored, text, textLength);
  stored[textLength] = '\0';
  item->name = stored + nameOffset;
  item->size = size;
  item->isFolder = isFolder ? 1 : 0;
  item->job = parent.job;
  return item;
}

void FreeItem(DeleteItem* item) { item->job->items.Free(item, Access::StoredBlockBytes(*item)); }

// Items are freed depth first; the depth is bounded by the 260-byte path, the
// breadth is walked in a loop. A child's text length depends on its parent,
// so the parent goes last.
void FreeList(DeleteItem* item) {
  while (item != nullptr) {
    DeleteItem* next = item->next;
    FreeList(item->firstChild);
    FreeItem(item);
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

// The full path of a top-level item is its own text: no slot is used.
const char* TopLevelPath(const DeleteItem& item) { return Access::Text(item); }

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
  delete job.chosen;
  // The tree goes back at once, with no walk over a million items.
  job.items.Release();
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
    if (match(TopLevelPath(*top), path)) return true;
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
      if (!match(TopLevelPath(*other), TopLevelPath(*item))) continue;
      // Of two equal paths the first stays.
      if (before || !match(TopLevelPath(*item), TopLevelPath(*other))) {
        nested = true;
        break;
      }
    }
    if (nested) RemoveTopLevelItem(job, item);
    item = next;
  }
}

DeleteItem* AddTopLevelItem(DeleteJob& job, const char* path, FolderTest isFolder,
                            PathMatch match) {
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
  const size_t nameOffset = static_cast<size_t>(PathName(path) - path);

  // A path that continues the parent's is kept as the part behind it, as
  // long as that part holds the whole name; any other is kept whole, so the
  // item answers exactly the path it was given.
  size_t textStart = 0;
  uint8_t flags = Access::kOwnPath;
  if (parent.parent != nullptr && parent.path.Length() > 0) {
    char parentPath[kMaxPathBytes + 1];
    const size_t parentLength = parent.path.Length();
    parent.path.CopyTo(parentPath, sizeof parentPath);
    if (length > parentLength && std::memcmp(path, parentPath, parentLength) == 0) {
      if (parentPath[parentLength - 1] == '\\') {
        textStart = parentLength;
        flags = 0;
      } else if (path[parentLength] == '\\') {
        textStart = parentLength + 1;
        flags = Access::kJoined;
      }
      if (flags != Access::kOwnPath && (textStart >= length || nameOffset < textStart)) {
        textStart = 0;
        flags = Access::kOwnPath;
      }
    }
  }
  DeleteItem* item = NewItem(parent, path + textStart, length - textStart, length, flags,
                             nameOffset - textStart, size, isFolder);
  if (item != nullptr) LinkAtFront(parent, *item);
  return item;
}

DeleteItem* AddNamedChild(DeleteItem& parent, const char* name, int64_t size, bool isFolder) {
  if (name == nullptr) return nullptr;
  while (*name == '\\') ++name;
  const size_t nameLength = BoundedLength(name);
  if (nameLength == 0 || nameLength > kMaxPathBytes) return nullptr;
  if (parent.parent == nullptr || parent.path.Length() == 0) {
    return AddChild(parent, name, size, isFolder);
  }
  const size_t parentLength = parent.path.Length();
  // The parent's last byte is the last byte of its own text: no path is built.
  const bool joined = Access::Text(parent)[Access::TextLength(parent) - 1] != '\\';
  const size_t length = parentLength + (joined ? 1 : 0) + nameLength;
  if (length > kMaxPathBytes) return nullptr;
  const size_t nameOffset = static_cast<size_t>(PathName(name) - name);
  DeleteItem* item = NewItem(parent, name, nameLength, length, joined ? Access::kJoined : 0,
                             nameOffset, size, isFolder);
  if (item != nullptr) LinkAtFront(parent, *item);
  return item;
}

bool RemoveTopLevelItem(DeleteJob& job, DeleteItem* item) {
  if (item == nullptr) return false;
  Unlink(*item);
  FreeList(item->firstChild);
  FreeItem(item);
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
    if (firstPath != nullptr) first->path.CopyTo(firstPath, kMaxPathBytes + 1);
    if (firstIsFolder != nullptr) *firstIsFolder = first->isFolder != 0;
  }
  return count;
}

void CopyItems(DeleteJob& target, const DeleteJob& source) {
  FreeChildren(target.root);
  // Adding puts each copy at the front, so the copy lists the items in the
  // order in which the user chose them.
  for (const DeleteItem* top = source.root.firstChild; top != nullptr; top = top->next) {
    AddChild(target.root, TopLevelPath(*top), top->size, top->isFolder != 0);
  }
  delete target.chosen;
  target.chosen = source.chosen ? new (std::nothrow) ChosenIdentities(*source.chosen) : nullptr;
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

const char* OwnReasonKey(uint32_t code) {
  switch (code) {
    case kReasonOtherNames:
      return "ReasonOtherNames";
    case kReasonOutsideSelection:
      return "ReasonOutside";
    case kReasonNotALink:
      return "ReasonNotALink";
    case kReasonChanged:
      return "ReasonChanged";
    case kReasonBecameLink:
      return "ReasonBecameLink";
    case kReasonVerifyFailed:
      return "ReasonVerifyFailed";
    default:
      return nullptr;
  }
}
