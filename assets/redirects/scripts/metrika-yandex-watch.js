// Stands in for Yandex Metrica's legacy watch.js and watch2.js: the
// Ya.Metrika and Ya.Metrika2 counter constructors record nothing, the page's
// yandex_metrika_callbacks and yandex_metrika_callbacks2 run as they would once
// the library has loaded, and callbacks given to counter methods are called.
// With triggerEvent set, the yacounter<id>inited event is dispatched.
(function() {
    'use strict';
    var noop = function() {};

    // Runs a callback of the page; its error surfaces in a task of its own
    // instead of stopping this script.
    var run = function(callback, self, args) {
        try {
            return callback.apply(self, args || []);
        } catch (error) {
            setTimeout(function() {
                throw error;
            }, 0);
        }
    };

    var callOptions = function(options) {
        if (options && typeof options.callback === 'function') {
            run(options.callback, options.ctx);
        }
    };

    // new Ya.Metrika({id, triggerEvent, ...}) or, in old pages, new Ya.Metrika(id).
    var Counter = function(options) {
        var id = options && typeof options === 'object' ? options.id : options;
        this.id = id;
        if (id !== undefined) {
            window['yaCounter' + id] = this;
        }
        if (options && options.triggerEvent && window.document &&
            typeof document.dispatchEvent === 'function') {
            document.dispatchEvent(new Event('yacounter' + id + 'inited'));
        }
    };
    Object.assign(Counter.prototype, {
        addFileExtension: noop,
        clickmap: noop,
        enableAll: noop,
        params: noop,
        replacePhones: noop,
        setUserID: noop,
        trackHash: noop,
        trackLinks: noop,
        userParams: noop,
        destruct: noop,
        // hit(url, options) and the old hit(url, title, referer, params)
        hit: function(url, options) {
            callOptions(options);
        },
        reachGoal: function(target, params, callback, ctx) {
            if (typeof callback === 'function') {
                run(callback, ctx);
            }
        },
        extLink: function(url, options) {
            callOptions(options);
        },
        file: function(url, options) {
            callOptions(options);
        },
        notBounce: function(options) {
            callOptions(options);
        },
        getClientID: function(callback) {
            if (typeof callback === 'function') {
                run(callback, null, ['']);
            }
            return '';
        },
    });

    window.Ya = window.Ya || {};
    window.Ya.Metrika = Counter;
    window.Ya.Metrika2 = Counter;

    // Each list holds functions to call once the library is there; pushes
    // made afterwards run at once.
    ['yandex_metrika_callbacks', 'yandex_metrika_callbacks2'].forEach(function(name) {
        var queued = Array.isArray(window[name]) ? window[name] : [];
        window[name] = {
            push: function() {
                Array.prototype.forEach.call(arguments, function(callback) {
                    if (typeof callback === 'function') {
                        run(callback, window);
                    }
                });
                return 0;
            },
        };
        window[name].push.apply(window[name], queued);
    });
})();
