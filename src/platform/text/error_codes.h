#pragma once
#include <cstdint>

// Windows system error codes. The platform layer reports every failure in these
// terms on all builds, so the classification of failures is the same code everywhere.
namespace error_code {
constexpr std::uint32_t success = 0;
constexpr std::uint32_t invalid_function = 1;
constexpr std::uint32_t file_not_found = 2;
constexpr std::uint32_t path_not_found = 3;
constexpr std::uint32_t too_many_open_files = 4;
constexpr std::uint32_t access_denied = 5;
constexpr std::uint32_t invalid_handle = 6;
constexpr std::uint32_t not_enough_memory = 8;
constexpr std::uint32_t out_of_memory = 14;
constexpr std::uint32_t not_same_device = 17;
constexpr std::uint32_t no_more_files = 18;
constexpr std::uint32_t write_protect = 19;
constexpr std::uint32_t gen_failure = 31;
constexpr std::uint32_t sharing_violation = 32;
constexpr std::uint32_t not_supported = 50;
constexpr std::uint32_t network_access_denied = 65;
constexpr std::uint32_t file_exists = 80;
constexpr std::uint32_t invalid_parameter = 87;
constexpr std::uint32_t disk_full = 112;
constexpr std::uint32_t invalid_name = 123;
constexpr std::uint32_t dir_not_empty = 145;
constexpr std::uint32_t busy = 170;
constexpr std::uint32_t filename_too_long = 206;
constexpr std::uint32_t bad_file_type = 222;
constexpr std::uint32_t virus_infected = 225;
constexpr std::uint32_t virus_deleted = 226;
constexpr std::uint32_t directory_invalid = 267;
constexpr std::uint32_t unrecognized_volume = 1005;
constexpr std::uint32_t io_device = 1117;
constexpr std::uint32_t cancelled = 1223;
constexpr std::uint32_t cant_access_file = 1920;
constexpr std::uint32_t cant_resolve_filename = 1921;
constexpr std::uint32_t file_offline = 4350;
}  // namespace error_code
