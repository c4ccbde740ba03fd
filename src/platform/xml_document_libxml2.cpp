// The deployment registry reader with libxml2 (POSIX).
