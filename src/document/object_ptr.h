#pragma once

#include <utility>

namespace tessel {

// Owning pointer to an object whose class the document layer does not know.
//
// An element owns its picture and its formula, but those classes live in the imaging
// layer, above the document model. The deleter is captured where the pointer is assigned,
// where the type is complete, so destroying an element never needs the full definition.
template <class T>
class ObjectPtr {
  public:
    ObjectPtr() = default;
    ObjectPtr(const ObjectPtr&) = delete;
    ObjectPtr& operator=(const ObjectPtr&) = delete;
    ObjectPtr(ObjectPtr&& other) noexcept
        : m_p(std::exchange(other.m_p, nullptr)), m_pfnDelete(other.m_pfnDelete) {}
    ObjectPtr& operator=(ObjectPtr&& other) noexcept {
        if (this != &other) {
            reset();
            m_p = std::exchange(other.m_p, nullptr);
            m_pfnDelete = other.m_pfnDelete;
        }
        return *this;
    }
    ~ObjectPtr() { reset(); }

    // Takes ownership of p (which may be null); the previous object is deleted.
    template <class U>
    ObjectPtr& operator=(U* p) {
        static_assert(sizeof(U) > 0, "the object's class must be complete where it is assigned");
        reset();
        m_p = p;
        m_pfnDelete = [](T* q) { delete static_cast<U*>(q); };
        return *this;
    }
    ObjectPtr& operator=(std::nullptr_t) {
        reset();
        return *this;
    }

    void reset() {
        if (m_p) m_pfnDelete(m_p);
        m_p = nullptr;
    }
    // Gives up ownership without deleting.
    T* release() { return std::exchange(m_p, nullptr); }

    T* get() const { return m_p; }
    T* operator->() const { return m_p; }
    T& operator*() const { return *m_p; }
    operator T*() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

  private:
    T* m_p = nullptr;
    void (*m_pfnDelete)(T*) = nullptr;
};

}  // namespace tessel
