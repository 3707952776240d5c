// Asks the running Quillon (its instance window, found by class) for its diagnostic report and
// waits at most 2 s for the answer: the day-of-use run's probe that the program still answers.
// Exit codes: 0 answered (the report is in the file its QUILLON_REPORT_FILE names), 1 no
// Quillon runs, 2 no answer within 2 s. Prints the time the answer took, in milliseconds.
#include <windows.h>

#include <stdio.h>

int main() {
  HWND window = FindWindowW(L"QuillonInstance", nullptr);
  if (!window) {
    printf("none\n");
    return 1;
  }
  DWORD_PTR result = 0;
  DWORD start = GetTickCount();
  LRESULT answered = SendMessageTimeoutW(window, RegisterWindowMessageW(L"QuillonDiagnosticReport"), 0, 0,
                                         SMTO_ABORTIFHUNG, 2000, &result);
  printf("%lu\n", GetTickCount() - start);
  return answered ? 0 : 2;
}
