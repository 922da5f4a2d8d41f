#pragma once
// The SQLite file layer the stores open their files with: the platform's own, except that page
// writes to a database file that follow one another are gathered into one write of up to
// QelGatherBytes; and reads that run on from page to page are served from one read of that size.
// SQLite reads and writes one page per call, and for a large document (tens of thousands of
// pages) the calls cost more than the bytes.
//
// Gathered bytes reach the file before any other operation on it (read, size, truncate, sync,
// lock, unlock, memory map, close), so the order of writes and syncs that keeps a commit atomic is
// unchanged, and other processes find every byte in the file once a lock is released. A gathered
// write that fails is reported by the operation that flushed it (at the latest by the commit's sync).
// What was read ahead is forgotten on every write, truncation, sync and lock change, so it never
// outlives the lock under which it was read; a file in WAL mode (whose pages others may change
// while we read) is not read ahead at all.
// Internal to the library.

// The platform's file layer writes at most 128 KB less one byte per call: stay below.
inline constexpr int QelGatherBytes = 64 * 1024;

// The name to pass to sqlite3_open_v2; registered on first use.
const char* QelGatherVfsName();
