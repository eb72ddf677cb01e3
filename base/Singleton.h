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
//
// T may hide the hooks below with its own (accessible to Singleton<T>):
//   static T* CreateInstance();  how the object is made (default: new T())
//   void PrepareRelease();       runs while the object is still published,
//                                before it is unpublished and deleted (a pool
//                                stops here, so that callbacks asking for the
//                                object meanwhile get it and fail at once)
//   static void AfterRelease();  runs after the deletion, still under the lock,
//                                whether or not there was an object
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
            object = T::CreateInstance();
            s_instance.store(object, std::memory_order_release);
        }
        return object;
    }

    // Destroys the object when there is one; the next Instance builds anew.
    static void ReleaseInstance()
    {
        SingleLock lock(&SingletonLock());
        T* object = s_instance.load(std::memory_order_acquire);
        if (object) {
            object->PrepareRelease();
            s_instance.store(nullptr, std::memory_order_release);
            delete object;
        }
        T::AfterRelease();
    }

    // The object when it exists, without creating it.
    static T* PeekInstance() { return s_instance.load(std::memory_order_acquire); }

protected:
    Singleton() { }
    ~Singleton() { }

    static T* CreateInstance() { return new (std::nothrow) T(); }
    void PrepareRelease() { }
    static void AfterRelease() { }

private:
    Singleton(const Singleton&) = delete;
    Singleton& operator=(const Singleton&) = delete;

    // Constant-initialised: usable from any static initialiser.
    static std::atomic<T*> s_instance;
};

template <class T> std::atomic<T*> Singleton<T>::s_instance { nullptr };
