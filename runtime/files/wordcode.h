// A compact form of large utility-file records. A record is read as 8-byte words, each
// XORed with the word `stride` words before it (the first `stride` words with zero): records
// made of rows of `stride` words, like the points of a curve, then give words that are zero
// where a column repeats (a constant column, a missing value, a weight of 1) and words with
// few low bytes where a column moves little from row to row. Per group of eight words: a
// byte whose bits mark the non-zero words, their byte counts less one in 4-bit halves, and
// the low bytes of each; the bytes beyond the last whole word follow as they are. Decoding
// gives back every byte.
#pragma once
#include <cstdint>

namespace rt::files::code {
// The most bytes coding n bytes can take (room to give encode, with its 8 bytes of slack).
int64_t bound(int64_t n);
// Codes the n bytes of rec against the word stride words before (1 to 255) into out (room
// for bound(n) bytes); returns the bytes written.
int64_t encode(const unsigned char* rec, int64_t n, int stride, unsigned char* out);
// Decodes n bytes into rec from in, which holds the coded bytes and at least 8 bytes
// beyond them that may be read; returns the coded bytes used.
int64_t decode(const unsigned char* in, int64_t n, int stride, unsigned char* rec);
// The stride that codes a sample of rec (n bytes) smallest, or 0 when coding saves less
// than a fifth.
int choosestride(const unsigned char* rec, int64_t n);
}  // namespace rt::files::code
