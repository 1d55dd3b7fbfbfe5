#include "ui/form1.h"

#include "ui/file_choosing.h"

namespace morvane {

Form1::Form1(Controls& controls, SystemServices& system)
    : controls_(controls), system_(system), job_(controls, system) {}

bool Form1::Form_Load() {
    if (!system_.PreviousInstance()) return true;
    controls_.ShowNotice("一次只能运行一个程序,否则可能造成程序出错!", "提示");
    controls_.EndProgram();
    return false;
}

void Form1::Command1_Click() { ChooseSourceFile(controls_, system_); }
void Form1::Command2_Click() { ChooseOutputFile(controls_, system_); }
void Form1::Command3_Click() { job_.StartAction(); }
void Form1::Command4_Click() { controls_.EndProgram(); }
void Form1::Command5_Click() { controls_.ShowExampleWindow(); }
void Form1::Timer1_Timer() { job_.CompletionTick(); }
void Form1::Form_FilesGiven(const std::vector<std::string>& paths) {
    TakeSourceFile(controls_, system_, paths);
}

bool KeyPassesDigitFilter(int keyAscii) {
    return keyAscii == 8 || (keyAscii >= '0' && keyAscii <= '9');
}

void Form1::Text4_KeyPress(int& keyAscii) {
    if (!KeyPassesDigitFilter(keyAscii)) keyAscii = 0;
}

}  // namespace morvane
