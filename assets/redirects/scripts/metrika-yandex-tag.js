// Stands in for Yandex Metrica's tag.js. The page calls
// ym(counterId, method, ...arguments), queued on ym.a until the library
// loads; here nothing is recorded, and what pages wait for still happens:
// callbacks of hit, reachGoal, extLink, file, notBounce and getClientID are
// called, "init" creates the yaCounter<id> object, and with triggerEvent set
// the yacounter<id>inited event is dispatched on the document.
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

    // Calls the callback found in an options object: {callback, ctx}.
    var callOptions = function(options) {
        if (options && typeof options.callback === 'function') {
            run(options.callback, options.ctx);
        }
    };

    // One counter's methods, with their documented argument positions.
    var Counter = function(id) {
        this.id = id;
    };
    Object.assign(Counter.prototype, {
        addFileExtension: noop,
        params: noop,
        userParams: noop,
        setUserID: noop,
        firstPartyParams: noop,
        destruct: noop,
        replacePhones: noop,
        // hit(url, options)
        hit: function(url, options) {
            callOptions(options);
        },
        // reachGoal(target, params, callback, ctx)
        reachGoal: function(target, params, callback, ctx) {
            if (typeof callback === 'function') {
                run(callback, ctx);
            }
        },
        // extLink(url, options), file(url, options)
        extLink: function(url, options) {
            callOptions(options);
        },
        file: function(url, options) {
            callOptions(options);
        },
        // notBounce(options)
        notBounce: function(options) {
            callOptions(options);
        },
        // getClientID(callback): there is no client identifier to give.
        getClientID: function(callback) {
            if (typeof callback === 'function') {
                run(callback, null, ['']);
            }
            return '';
        },
    });

    var counters = {};
    var init = function(id, options) {
        var counter = counters[id] = counters[id] || new Counter(id);
        window['yaCounter' + id] = counter;
        if (options && options.triggerEvent && window.document &&
            typeof document.dispatchEvent === 'function') {
            document.dispatchEvent(new Event('yacounter' + id + 'inited'));
        }
        return counter;
    };

    var execute = function(args) {
        var id = args[0];
        var method = args[1];
        if (method === 'init') {
            init(id, args[2]);
            return;
        }
        var counter = counters[id] || new Counter(id);
        if (typeof counter[method] === 'function') {
            counter[method].apply(counter, Array.prototype.slice.call(args, 2));
        }
    };

    var previous = window.ym;
    var queued = previous && Array.isArray(previous.a) ? previous.a : [];
    var ym = function() {
        execute(arguments);
    };
    ym.a = [];
    ym.l = previous && previous.l ? previous.l : Date.now();
    window.ym = ym;

    // The library also defines the constructor that tag.js counters come from.
    var Metrika2 = function(options) {
        var id = options && options.id;
        return id ? init(id, options) : new Counter(id);
    };
    window.Ya = window.Ya || {};
    window.Ya.Metrika2 = Metrika2;

    queued.forEach(execute);
})();
