#pragma once

    int Sum(int a, int b);
