#pragma once
// Zeltsvc: the fax-service client library. The host program calls, in this
// order: InitializeZelt, ChkZeltLogin (which must succeed), ZeltServiceStart;
// ZeltServiceStop at shutdown. GetCreditEx and GetMyFaxNo may be called any time
// after InitializeZelt. Strings are 8-bit and zero-terminated; results are 0 for
// success and negative for failures. Fax requests are not passed by call: the
// host writes a request file and its documents into <program folder>/Send/, and
// writers of spool files hold an exclusive flock(2) on a file while writing it.
#ifdef __cplusplus
extern "C" {
#endif

#define ZELTSVC_EXPORT __attribute__((visibility("default")))

// 0, or -1 when the program's folder cannot be determined.
ZELTSVC_EXPORT int InitializeZelt(void);

// 0 logged in and credentials stored; -1 refused or unreachable; -2 / -3 the
// user ID / password could not be stored; -4 the password could not be
// encrypted (also for an empty password); -5 a value over 20 bytes.
ZELTSVC_EXPORT int ChkZeltLogin(const char* userId, const char* password);

// The account's credit; -1 on failure; -5 for a value over 20 bytes.
ZELTSVC_EXPORT int GetCreditEx(const char* userId, const char* password);

// 0 with the account's number in buffer (at least 20 bytes: cleared, then 20
// bytes copied, so a 20-character number is not terminated); -1 on failure or
// when the number has 4 characters or fewer (buffer left untouched).
ZELTSVC_EXPORT int GetMyFaxNo(const char* userId, const char* password, char* buffer);

// 0 once the workers run; -1 without a successful ChkZeltLogin.
ZELTSVC_EXPORT int ZeltServiceStart(void);

// Stops and joins every worker; returns within about a second.
ZELTSVC_EXPORT void ZeltServiceStop(void);

#undef ZELTSVC_EXPORT

#ifdef __cplusplus
}
#endif
