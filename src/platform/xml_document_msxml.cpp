// The deployment registry reader with MSXML 6.0 (Windows).
