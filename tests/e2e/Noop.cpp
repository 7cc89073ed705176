// A program that does nothing: the cost of a bare process start, for comparison.
int main()
{
    return 0;
}
