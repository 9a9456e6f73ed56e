// Stands in for the host executable: the plug-in only reads its version
// resource, never runs it.
int main()
{
    return 0;
}
