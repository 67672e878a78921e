/*
 * A host's view of libovcore: take a handle of the filtering core, add a few
 * user rules, switch filtering off for one site and ask which pages are
 * filtered. Built against the installed library:
 *
 *   cc rule_check.c $(pkg-config --cflags --libs ovcore) -o rule_check
 */
#include <ovcore/ovcore.h>
#include <stdio.h>
#include <stdlib.h>

static void add(void *handle, const char *rule) {
    printf("add %s -> %d\n", rule, OvCApiPFAddRule(handle, rule));
}

static void ask(void *handle, const char *url) {
    char *rule = NULL;
    int verdict = OvCApiPFIsFiltered(handle, url, NULL, &rule);
    printf("filtered %s -> %d%s%s\n", url, verdict, rule ? " " : "", rule ? rule : "");
    free(rule);
}

int main(void) {
    /* Only errors, on standard error; standard output is the report. */
    logger_set_default_log_level(LOG_LEVEL_ERROR);
    void *handle = ovcore_proxy_filter_new();
    if (handle == NULL) {
        fprintf(stderr, "no filtering core\n");
        return 1;
    }
    add(handle, "||ads.example^");
    add(handle, "example.org##.banner");
    add(handle, "example.org##.banner { color: red }");
    add(handle, "@@||trusted.example^$important,document");

    const char *error = NULL;
    char *site_rule = NULL;
    int rc = OvCApiPFChangeFilteringState(handle, "news.example", false, &error, &site_rule);
    printf("disable news.example -> %d %s\n", rc, rc == 0 ? site_rule : error);
    free(site_rule);
    rc = OvCApiPFChangeFilteringState(handle, "", false, &error, NULL);
    printf("disable (empty) -> %d %s\n", rc, error);

    ask(handle, "https://news.example/world/today.html");
    ask(handle, "https://www.trusted.example/");
    ask(handle, "https://shop.example/cart");
    ask(handle, "not a url");

    printf("clear ||ads.example^ -> %d\n", OvCApiPFClearRule(handle, "||ads.example^"));
    ovcore_proxy_filter_release(handle);
    return 0;
}
