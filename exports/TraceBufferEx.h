/* The process-wide trace buffer, for C callers. Channels are created first, then the table is locked. */
#ifndef KESTRIX_TRACEBUFFEREX_H
#define KESTRIX_TRACEBUFFEREX_H

#include <stdbool.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Channel with error plus the chosen levels; returns its id. Not after the table is locked. */
int32_t traceBufferExCreateChan(const char* name, bool info, bool debug, bool warn);
/* Ends channel creation; the library's own channels are added after the caller's, and the library traces
   nothing before this. */
void traceBufferExLockChannelTable(void);
bool traceBufferExGetChannelTableLock(void);
/* Echoes every traced message to standard output from now on. */
void traceBufferExSetConsoleTracing(void);
/* Facility of the log lines written by a flush (0..29; other values are ignored). */
void traceBufferExSetLoggerFacility(int32_t facility);
/* Keeps at most n entries, dropping the oldest. */
void traceBufferExSetMaxLength(int32_t n);
/* Writes every entry to the system log and empties the buffer. */
void traceBufferExFlush(void);

#ifdef __cplusplus
}
#endif

#endif
