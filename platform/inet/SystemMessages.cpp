#include "platform/inet/SystemMessages.h"

#include <cerrno>
#include <unordered_map>

namespace {

thread_local DWORD lastError = ERROR_SUCCESS;

const std::unordered_map<DWORD, const char*>& messageTable()
{
    static const std::unordered_map<DWORD, const char*> table = {
        {ERROR_SUCCESS, "The operation completed successfully."},
        {ERROR_FILE_NOT_FOUND, "The system cannot find the file specified."},
        {ERROR_PATH_NOT_FOUND, "The system cannot find the path specified."},
        {ERROR_ACCESS_DENIED, "Access is denied."},
        {ERROR_NOT_ENOUGH_MEMORY, "Not enough memory resources are available to process this command."},
        {ERROR_WRITE_FAULT, "The system cannot write to the specified device."},
        {ERROR_READ_FAULT, "The system cannot read from the specified device."},
        {ERROR_FILE_EXISTS, "The file exists."},
        {ERROR_INVALID_PARAMETER, "The parameter is incorrect."},
        {ERROR_DISK_FULL, "There is not enough space on the disk."},
        {ERROR_INSUFFICIENT_BUFFER, "The data area passed to a system call is too small."},
        {ERROR_INVALID_NAME, "The filename, directory name, or volume label syntax is incorrect."},
        {ERROR_ALREADY_EXISTS, "Cannot create a file when that file already exists."},
        {ERROR_FILENAME_EXCED_RANGE, "The filename or extension is too long."},
        {WAIT_TIMEOUT, "The wait operation timed out."},
        {ERROR_TIMEOUT, "This operation returned because the timeout period expired."},
        {ERROR_INTERNET_OUT_OF_HANDLES, "No more handles could be generated at this time."},
        {ERROR_INTERNET_TIMEOUT, "The operation timed out."},
        {ERROR_INTERNET_EXTENDED_ERROR, "An extended error was returned from the server."},
        {ERROR_INTERNET_INTERNAL_ERROR, "An internal error occurred."},
        {ERROR_INTERNET_INVALID_URL, "The URL is invalid."},
        {ERROR_INTERNET_UNRECOGNIZED_SCHEME, "The URL scheme could not be recognized, or is not supported."},
        {ERROR_INTERNET_NAME_NOT_RESOLVED, "The server name or address could not be resolved."},
        {ERROR_INTERNET_OPERATION_CANCELLED, "The operation was canceled."},
        {ERROR_INTERNET_CANNOT_CONNECT, "A connection with the server could not be established."},
        {ERROR_INTERNET_CONNECTION_ABORTED, "The connection with the server was terminated abnormally."},
        {ERROR_INTERNET_CONNECTION_RESET, "The connection with the server was reset."},
        {ERROR_INTERNET_SEC_CERT_CN_INVALID, "The host name in the certificate is invalid or does not match."},
        {ERROR_INTERNET_INVALID_CA, "The certificate authority is invalid or incorrect."},
        {ERROR_HTTP_HEADER_NOT_FOUND, "The requested header could not be located."},
        {ERROR_HTTP_INVALID_SERVER_RESPONSE, "The server returned an invalid or unrecognized response."},
        {ERROR_HTTP_REDIRECT_FAILED, "The redirection failed."},
        {ERROR_INTERNET_SECURITY_CHANNEL_ERROR, "An error occurred in the secure channel support."},
    };
    return table;
}

} // namespace

DWORD GetLastError() { return lastError; }

void SetLastError(DWORD code) { lastError = code; }

void SetLastErrorFromErrno(int err)
{
    switch (err) {
    case 0:
        SetLastError(ERROR_SUCCESS);
        break;
    case ENOENT:
        SetLastError(ERROR_PATH_NOT_FOUND);
        break;
    case EACCES:
    case EPERM:
    case EROFS:
        SetLastError(ERROR_ACCESS_DENIED);
        break;
    case EEXIST:
        SetLastError(ERROR_ALREADY_EXISTS);
        break;
    case ENOSPC:
        SetLastError(ERROR_DISK_FULL);
        break;
    case ENAMETOOLONG:
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        break;
    case ENOMEM:
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        break;
    case ENOTDIR:
        SetLastError(ERROR_PATH_NOT_FOUND);
        break;
    default:
        SetLastError(ERROR_WRITE_FAULT);
        break;
    }
}

std::string SysErrorMessage(DWORD code)
{
    const auto& table = messageTable();
    auto it = table.find(code);
    return it == table.end() ? std::string() : std::string(it->second);
}
