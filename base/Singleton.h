#pragma once
// Application-wide objects created on first use and released together when
// the main frame goes away. A getter after a release builds a fresh object,
// which is how a re-login starts everything anew.
#include "base/Thread.h"
#include <atomic>
#include <new>

// The one lock under which every singleton is created and released. It is
// re-entrant, so a constructor may ask for another singleton.
CriticalSection& SingletonLock();

// Base of the singleton family: class T : public Singleton<T>. T's default
// constructor may be private when T befriends Singleton<T>.
template <class T> class Singleton
{
public:
    // The object, created on first use; null when it could not be allocated
    // (a later call tries again).
    static T* Instance()
    {
        T* object = s_instance.load(std::memory_order_acquire);
        if (object)
            return object;
        SingleLock lock(&SingletonLock());
        object = s_instance.load(std::memory_order_relaxed);
        if (!object) {
            object = new (std::nothrow) T();
            s_instance.store(object, std::memory_order_release);
        }
        return object;
    }

    // Destroys the object when there is one; the next Instance builds anew.
    // T::BeforeRelease runs first, outside the singleton lock and with the
    // object still published; only unpublishing and deleting happen under it.
    static void ReleaseInstance()
    {
        // One release of T at a time, so BeforeRelease and the delete pair up.
        static CriticalSection releaseLock;
        SingleLock releasing(&releaseLock);
        if (T* published = s_instance.load(std::memory_order_acquire))
            T::BeforeRelease(*published);
        SingleLock lock(&SingletonLock());
        T* object = s_instance.exchange(nullptr, std::memory_order_acq_rel);
        delete object;
    }

    // The object when it exists, without creating it.
    static T* PeekInstance() { return s_instance.load(std::memory_order_acquire); }

protected:
    Singleton() { }
    ~Singleton() { }

    // The release hook: a T that owns threads hides this with its own public
    // static BeforeRelease(T&) to stop them there. Waiting for threads under
    // the singleton lock would deadlock with any of them that asks for a
    // singleton meanwhile.
    static void BeforeRelease(T&) { }

private:
    Singleton(const Singleton&) = delete;
    Singleton& operator=(const Singleton&) = delete;

    // Constant-initialised: usable from any static initialiser.
    static std::atomic<T*> s_instance;
};

template <class T> std::atomic<T*> Singleton<T>::s_instance { nullptr };
