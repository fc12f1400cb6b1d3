/* The floor of any CGI process: start, print the redirect, end. */
#include <stdio.h>

int main(void) {
    fputs("Location: tolsettings.cgi?sessionid=1234\n\n", stdout);
    return 0;
}
