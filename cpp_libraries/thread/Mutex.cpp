#include "Mutex.h"

#include "SysLog.h"

Mutex::Mutex()
{
    Init();
}

Mutex::~Mutex()
{
    if (pthread_mutex_destroy(&mutex) != 0)
        SYSLOG("%s:%d:%s Unable to destroy mutex.\n");
}

void Mutex::Init()
{
    if (pthread_mutex_init(&mutex, nullptr) != 0)
        SYSLOG("%s:%d:%s Unable to init mutex.\n");
}

void Mutex::Lock()
{
    if (pthread_mutex_lock(&mutex) != 0)
        SYSLOG("%s:%d:%s Unable to lock mutex.\n");
}

void Mutex::Unlock()
{
    if (pthread_mutex_unlock(&mutex) != 0)
        SYSLOG("%s:%d:%s Unable to unlock mutex.\n");
}

void Mutex::Lock() const
{
    if (pthread_mutex_lock(&mutex) != 0)
        SYSLOG("%s:%d:%s Unable to lock mutex.\n");
}

void Mutex::Unlock() const
{
    if (pthread_mutex_unlock(&mutex) != 0)
        SYSLOG("%s:%d:%s Unable to unlock mutex.\n");
}
