#include "ui/MenuItem.h"

#include "base/Translate.h"

TMainMenu::TMainMenu()
    : G1("G1", Tr("ゲーム(&G)")), Save("Save", Tr("保存(&S)"), false), HS1("HS1", Tr("ハイスコア(&H)")),
      N1("N1", "-"), Settings("Settings", Tr("設定(&O)...")), E1("E1", Tr("終了(&E)")),
      BGMB1("BGMB1", Tr("BGM(&B)")), Play("Play", Tr("再生(&P)"), true, true), Stop("Stop", Tr("停止(&S)")),
      N2("N2", "-"), Yuyake("Yuyake", Tr("「夕焼けの帰り道」(&H)"), true, true),
      Select("Select", Tr("指定した曲(&M)")), R1("R1", Tr("ランダムに(&R)")), H1("H1", Tr("ヘルプ(&H)")),
      H2("H2", Tr("ヘルプ(&H)")), N4("N4", "-"), V1("V1", Tr("バージョン情報(&V)")) {
    G1.Add(Save);
    G1.Add(HS1);
    G1.Add(N1);
    G1.Add(Settings);
    G1.Add(E1);
    BGMB1.Add(Play);
    BGMB1.Add(Stop);
    BGMB1.Add(N2);
    BGMB1.Add(Yuyake);
    BGMB1.Add(Select);
    BGMB1.Add(R1);
    H1.Add(H2);
    H1.Add(N4);
    H1.Add(V1);
}

TMenuItem* TMainMenu::Find(const std::string& name) {
    for (TMenuItem* top : TopItems()) {
        if (top->Name() == name) return top;
        for (TMenuItem* item : top->Items())
            if (item->Name() == name) return item;
    }
    return nullptr;
}
