#pragma once

#include <cstdint>

#include "msrc/Util/XAssert.h"

// An unordered set of pointers to objects of one type, kept as a singly
// linked list with a 16-bit count. The list owns its links, never the objects
// they point to. A walk (Cursor) visits the objects from the most
// recently added to the oldest.
//
// Count checks report through XASSERT and the operation carries on.
template <typename T>
class PtrList {
 public:
  struct Link {
    T* fObject;
    Link* fNext;
  };

  // The count is 16 bits wide: beyond this many links nothing more is added.
  static constexpr int16_t kMaxCount = INT16_MAX;

  PtrList() = default;
  ~PtrList() {
    Clear();
    if (fCount != 0) XASSERT(kSourcePath, __LINE__, "fCount==0", "count error in ptrlist");
  }
  PtrList(const PtrList&) = delete;
  PtrList& operator=(const PtrList&) = delete;

  // Null and pointers already held are ignored; otherwise the new link goes
  // in front. A full list refuses the pointer with a report, since its count
  // could not hold one more.
  void Add(T* object) {
    if (object == nullptr || Contains(object)) return;
    if (fCount >= kMaxCount) {
      XASSERT(kSourcePath, __LINE__, "fCount < kMaxCount", "whoops");
      return;
    }
    fHead = new Link{object, fHead};
    ++fCount;
  }

  // Unlinks the first link holding the pointer; a pointer not held changes
  // nothing.
  void Remove(T* object) {
    for (Link** link = &fHead; *link != nullptr; link = &(*link)->fNext) {
      if ((*link)->fObject != object) continue;
      Link* gone = *link;
      *link = gone->fNext;
      delete gone;
      --fCount;
      if (fCount < 0) XASSERT(kSourcePath, __LINE__, "fCount >= 0", "whoops");
      return;
    }
  }

  // Frees every link; the objects stay where they are.
  void Clear() {
    while (fHead != nullptr) {
      Link* gone = fHead;
      fHead = gone->fNext;
      delete gone;
      --fCount;
      if (fCount < 0) XASSERT(kSourcePath, __LINE__, "fCount >= 0", "whoops");
    }
    if (fCount != 0) XASSERT(kSourcePath, __LINE__, "fCount==0", "whoops");
  }

  bool Contains(const T* object) const {
    for (const Link* link = fHead; link != nullptr; link = link->fNext) {
      if (link->fObject == object) return true;
    }
    return false;
  }

  int16_t Count() const { return fCount; }

  // A walk over a list, newest object first. Started on a missing list it is
  // at no link, position -1. The list must not change while a walk is on it,
  // except that the walk may stop right after removing its current object.
  class Cursor {
   public:
    explicit Cursor(const PtrList* list)
        : fList(list), fLink(list != nullptr ? list->fHead : nullptr), fPosition(list != nullptr ? 0 : -1) {}

    // Whether the walk is on a link.
    bool IsValid() const { return fLink != nullptr; }
    // The current object; null past the end.
    T* Current() const { return fLink != nullptr ? fLink->fObject : nullptr; }
    int32_t Position() const { return fPosition; }
    const PtrList* List() const { return fList; }

    // Moves to the next link; nothing happens past the end.
    void Next() {
      if (fLink == nullptr) return;
      fLink = fLink->fNext;
      ++fPosition;
    }

   private:
    const PtrList* fList;
    const Link* fLink;
    int32_t fPosition;
  };

 private:
  static constexpr const char* kSourcePath = "msrc/util/PtrList";

  Link* fHead = nullptr;
  int16_t fCount = 0;
};
