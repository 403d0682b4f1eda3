#include "platform/CriticalSection.h"

void CCriticalSection::Enter() {
    mutex_.lock();
}

void CCriticalSection::Leave() {
    mutex_.unlock();
}

bool CCriticalSection::TryEnter() {
    return mutex_.try_lock();
}
