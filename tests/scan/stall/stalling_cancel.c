/* Preloaded before libsane: sane_cancel() never comes back, as a backend's
   does when its reader thread was cancelled inside malloc(). */
#include <unistd.h>

void sane_cancel(void* handle)
{
    (void)handle;
    for (;;)
        pause();
}
