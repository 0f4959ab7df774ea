// What the scanning dialog may ask of the state object, without knowing it.
#pragma once

class CDsProxy {
public:
    virtual int CloseNotify(int nFlag) = 0;
    virtual int ScannerOp1(int a, int b, int c) = 0;
    virtual int ScannerOp2(int a, int b, int c, int d) = 0;
    virtual int ScannerOp3(int a) = 0;
    virtual int ScannerOp4(int a) = 0;
    virtual int ScannerOp5() = 0;
    virtual ~CDsProxy() = default;
};
