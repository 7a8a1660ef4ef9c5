#pragma once
// MD5 message digest (RFC 1321); the password is kept only as its digest.
#include <cstddef>
#include <cstdint>

constexpr size_t kMd5Size = 16;

void Md5(const void* data, size_t size, uint8_t out[16]);
