// The tokenizer of command lines and switch lines.
#pragma once

// Skips white space (blanks and tabs).
void SkipBlanks(char** cursor);

// The next token, ended in place in the buffer, or null at the end. Only the
// blank character ends a token; a double quote before the first blank opens
// a quoted part that runs to the next double quote, and both quotes are
// removed from the text (only the first pair of a token).
char* NextToken(char** cursor);
