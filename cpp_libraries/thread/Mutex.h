#ifndef MUTEX_H
#define MUTEX_H

#include <pthread.h>

// A normal (non-recursive) POSIX mutex. Failures are logged, never thrown.
class Mutex {
public:
    Mutex();
    virtual ~Mutex();
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;

    virtual void Init();
    virtual void Lock();
    virtual void Unlock();
    // Const owners lock the same mutex.
    virtual void Lock() const;
    virtual void Unlock() const;

private:
    mutable pthread_mutex_t mutex;
};

// Holds a Mutex for one scope.
class MutexLock {
public:
    explicit MutexLock(const Mutex& m) : mutex(m) { mutex.Lock(); }
    ~MutexLock() { mutex.Unlock(); }
    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;

private:
    const Mutex& mutex;
};

#endif
